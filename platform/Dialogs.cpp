#include "platform/Dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "platform/WaitCursor.h"

namespace Dialogs {
namespace {

QWidget* DialogParent() {
    return QApplication::activeWindow();
}

TMsgResult ShowRealMessage(const TMessageRequest& request) {
    const TNormalCursor normalCursor;
    QMessageBox box(DialogParent());
    box.setWindowTitle(request.Title);
    box.setText(request.Text);
    switch (request.Icon) {
        case TMsgIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case TMsgIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case TMsgIcon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
    }
    if (request.Buttons == TMsgButtons::YesNo) {
        QPushButton* yes = box.addButton(request.ButtonTexts.value(0), QMessageBox::YesRole);
        QPushButton* no = box.addButton(request.ButtonTexts.value(1), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? TMsgResult::Yes : TMsgResult::No;
    }
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
    return TMsgResult::Ok;
}

QStringList ShowRealOpenFiles(const TOpenFilesRequest& request) {
    QFileDialog dialog(DialogParent(), request.Title, request.Folder);
    dialog.setNameFilters(request.NameFilters);
    dialog.setFileMode(request.MultiSelect ? QFileDialog::ExistingFiles
                                           : QFileDialog::ExistingFile);
    dialog.setSizeGripEnabled(request.Resizable);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
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
