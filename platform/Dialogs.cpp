#include "platform/Dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSpacerItem>
#include <QTextBoundaryFinder>
#include <QTreeView>
#include <algorithm>

#include "platform/WaitCursor.h"

namespace Dialogs {
namespace {

// Room that window managers take beside a title: the window's icon, the minimise, maximise and
// close buttons and their margins. A box narrower than its title and these cuts the title.
constexpr int TitleFrameRoom = 160;
// The file chooser's size: the name column wide enough for a camera's file names, the size,
// type and date columns whole beside it.
constexpr QSize FileChooserSize(860, 520);
constexpr int DateColumn = 3;  // of the file system model: name, size, type, date

QWidget* DialogParent() {
    return QApplication::activeWindow();
}

int TitleWidth(const QString& title) {
    // Window managers commonly draw titles bold.
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(title);
}

// The last break in line[0, fit) after a path separator or at a space; 0 when there is none.
qsizetype PreferredBreak(const QString& line, qsizetype fit) {
    for (qsizetype at = fit; at > 0; --at) {
        if (line[at - 1] == u'/' || (at < line.size() && line[at] == u' '))
            return at;
    }
    return 0;
}

// The last place in line[0, fit) where the language allows a line break, else the last
// character boundary; at least one character.
qsizetype FallbackBreak(const QString& line, qsizetype fit) {
    qsizetype lastGrapheme = 0;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, line);
    for (qsizetype at = graphemes.toNextBoundary(); at > 0 && at <= fit;
         at = graphemes.toNextBoundary()) {
        lastGrapheme = at;
    }
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, line);
    breaks.setPosition(fit);
    if (!breaks.isAtBoundary())
        breaks.toPreviousBoundary();
    if (breaks.position() > 0)
        return breaks.position();
    return lastGrapheme > 0 ? lastGrapheme : std::min<qsizetype>(1, line.size());
}

void WrapLine(QString line, int maxWidth, const std::function<int(const QString&)>& widthOf,
              QStringList& lines) {
    while (!line.isEmpty() && widthOf(line) > maxWidth) {
        qsizetype fit = 1;
        while (fit < line.size() && widthOf(line.left(fit + 1)) <= maxWidth)
            ++fit;
        qsizetype at = PreferredBreak(line, fit);
        if (at == 0)
            at = FallbackBreak(line, fit);
        lines.append(line.left(at));
        line = line.mid(at);
        if (line.startsWith(u' '))
            line.remove(0, 1);
    }
    lines.append(line);
}

// Shows the dates of the file chooser in the Japanese form ("2026/12/09 21:11") whatever the
// system's language: the file system model writes them in the system's own.
class TJapaneseDatesModel : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (files != nullptr && role == Qt::DisplayRole && index.column() == DateColumn) {
            return QLocale(QLocale::Japanese, QLocale::Japan)
                .toString(files->lastModified(mapToSource(index)), QLocale::ShortFormat);
        }
        return QIdentityProxyModel::data(index, role);
    }
};

TMsgResult ShowRealMessage(const TMessageRequest& request) {
    const TNormalCursor normalCursor;
    const std::unique_ptr<QMessageBox> box = NewMessageBox(request, DialogParent());
    box->exec();
    if (request.Buttons == TMsgButtons::YesNo) {
        return box->buttonRole(box->clickedButton()) == QMessageBox::YesRole ? TMsgResult::Yes
                                                                             : TMsgResult::No;
    }
    return TMsgResult::Ok;
}

QStringList ShowRealOpenFiles(const TOpenFilesRequest& request) {
    const std::unique_ptr<QFileDialog> dialog = NewOpenFilesDialog(request, DialogParent());
    if (dialog->exec() != QDialog::Accepted)
        return {};
    return dialog->selectedFiles();
}

QString ShowRealFolderChooser(const TFolderRequest& request) {
    QFileDialog dialog(DialogParent(), request.Title, request.Folder);
    dialog.setFileMode(QFileDialog::Directory);
    // Existing folders of the file system only: read-only, the chooser offers no button for
    // making a new folder.
    dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::ReadOnly);
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

TMessageHandler& MessageHandler() {
    static TMessageHandler handler;
    return handler;
}

TOpenFilesHandler& OpenFilesHandler() {
    static TOpenFilesHandler handler;
    return handler;
}

TFolderHandler& FolderHandler() {
    static TFolderHandler handler;
    return handler;
}

TModalHandler& ModalHandler() {
    static TModalHandler handler;
    return handler;
}

TMsgResult Show(const TMessageRequest& request) {
    const TMessageHandler& handler = MessageHandler();
    return handler ? handler(request) : ShowRealMessage(request);
}

}  // namespace

std::unique_ptr<QMessageBox> NewMessageBox(const TMessageRequest& request, QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(request.Title);
    switch (request.Icon) {
        case TMsgIcon::Information:
            box->setIcon(QMessageBox::Information);
            break;
        case TMsgIcon::Warning:
            box->setIcon(QMessageBox::Warning);
            break;
        case TMsgIcon::None:
            box->setIcon(QMessageBox::NoIcon);
            break;
    }
    // Plain text: a file name holding '<' is no markup. The lines are broken here, because the
    // box's own breaking, once the text is long, breaks anywhere inside a word.
    box->setTextFormat(Qt::PlainText);
    const QFontMetrics metrics(box->font());
    box->setText(
        WrapMessageLines(request.Text, MessageLineWidth(parent), [&metrics](const QString& line) {
            return metrics.horizontalAdvance(line);
        }).join(u'\n'));
    if (request.Buttons == TMsgButtons::YesNo) {
        QPushButton* yes = box->addButton(request.ButtonTexts.value(0), QMessageBox::YesRole);
        QPushButton* no = box->addButton(request.ButtonTexts.value(1), QMessageBox::NoRole);
        box->setDefaultButton(yes);
        box->setEscapeButton(no);
    } else {
        box->addButton(request.ButtonTexts.value(0, QStringLiteral("OK")), QMessageBox::AcceptRole);
    }
    // The box takes the width its layout needs; a spacer across the bottom row makes the title
    // part of that need. Setting the icon or the text rebuilds the layout, so this comes last.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
        grid->addItem(new QSpacerItem(TitleWidth(request.Title) + TitleFrameRoom, 0,
                                      QSizePolicy::Fixed, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    return box;
}

std::unique_ptr<QFileDialog> NewOpenFilesDialog(const TOpenFilesRequest& request, QWidget* parent) {
    auto dialog = std::make_unique<QFileDialog>(parent, request.Title, request.Folder);
    // The toolkit's own dialog, the same on every desktop, so that its size and columns hold.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setNameFilters(request.NameFilters);
    dialog->setFileMode(request.MultiSelect ? QFileDialog::ExistingFiles
                                            : QFileDialog::ExistingFile);
    dialog->setViewMode(QFileDialog::Detail);
    dialog->setProxyModel(new TJapaneseDatesModel(dialog.get()));
    dialog->setSizeGripEnabled(request.Resizable);
    dialog->resize(FileChooserSize);
    // The size, type and date columns take the width of what they show, the name the rest.
    if (auto* view = dialog->findChild<QTreeView*>()) {
        QHeaderView* header = view->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int column = 1; column <= DateColumn; ++column)
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    return dialog;
}

int MessageLineWidth(const QWidget* parent) {
    const QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    const int screenWidth = screen != nullptr ? screen->availableGeometry().width() : 1024;
    // Past half the screen (at most 500 pixels) with its icon and margins, the box would break
    // the lines again by itself.
    return std::clamp(std::min(screenWidth / 2, 500) - 140, 160, 360);
}

QStringList WrapMessageLines(const QString& text, int maxWidth,
                             const std::function<int(const QString&)>& widthOf) {
    QStringList lines;
    for (const QString& line : text.split(u'\n'))
        WrapLine(line, maxWidth, widthOf, lines);
    return lines;
}

QString ApplicationTitle() {
    return QStringLiteral("ミルトア");
}

void ShowMessage(const QString& text) {
    Show({text, ApplicationTitle(), TMsgIcon::None, TMsgButtons::Ok, {QStringLiteral("OK")}});
}

bool Confirm(const QString& text) {
    const TMessageRequest request{text,
                                  QStringLiteral("情報"),
                                  TMsgIcon::Information,
                                  TMsgButtons::YesNo,
                                  {QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)")}};
    return Show(request) == TMsgResult::Yes;
}

void ShowWarning(const QString& text) {
    Show(
        {text, QStringLiteral("警告"), TMsgIcon::Warning, TMsgButtons::Ok, {QStringLiteral("OK")}});
}

QStringList ChooseOpenFiles(const TOpenFilesRequest& request) {
    const TOpenFilesHandler& handler = OpenFilesHandler();
    return handler ? handler(request) : ShowRealOpenFiles(request);
}

QString ChooseFolder(const TFolderRequest& request) {
    const TFolderHandler& handler = FolderHandler();
    return handler ? handler(request) : ShowRealFolderChooser(request);
}

int ExecModal(QDialog& window) {
    const TModalHandler& handler = ModalHandler();
    return handler ? handler(window) : window.exec();
}

TMessageHandler SetMessageHandler(TMessageHandler handler) {
    return std::exchange(MessageHandler(), std::move(handler));
}

TOpenFilesHandler SetOpenFilesHandler(TOpenFilesHandler handler) {
    return std::exchange(OpenFilesHandler(), std::move(handler));
}

TFolderHandler SetFolderHandler(TFolderHandler handler) {
    return std::exchange(FolderHandler(), std::move(handler));
}

TModalHandler SetModalHandler(TModalHandler handler) {
    return std::exchange(ModalHandler(), std::move(handler));
}

}  // namespace Dialogs
