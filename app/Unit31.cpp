#include "app/Unit31.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/SitePages.h"
#include "app/Unit32.h"
#include "app/Unit33.h"
#include "app/Unit40.h"
#include "app/Unit41.h"
#include "app/WebBrowser.h"
#include "controls/FormControls.h"
#include "controls/StringGrid1.h"
#include "controls/WindowPlacement.h"
#include "platform/Dialogs.h"
#include "platform/KavroApplication.h"
#include "platform/ProgramDir.h"
#include "sites/Unit18.h"
#include "sites/Unit19.h"

namespace {

// The album tab's header: the buttons keep their distance from the right edge and the combo
// stretches between the label and the buttons (541 pixels at the window's design size).
constexpr int DesignPageWidth = 730;
constexpr int HeaderLeft = 4;
constexpr int ComboTop = 12;
constexpr int ComboDesignWidth = 541;
constexpr int ButtonSize = 38;
constexpr int ButtonTop = 4;
constexpr int ButtonGap = 2;
constexpr int ButtonsRightMargin = 4;

}  // namespace

// The icons live in this static library; the linker keeps them only when referenced. The macro
// declares a global function, so this stays outside any namespace.
static void InitIconResources() {
    Q_INIT_RESOURCE(icons);
}

TForm31::TForm31(QWidget* parent) : QWidget(parent) {
    InitIconResources();
    setObjectName(QStringLiteral("Form31"));
    setWindowTitle(QStringLiteral("ミルトア Ver.1.2.0"));
    UseTextFamily(this);
    CreateControls();
    resize(738, 700);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    FormCreate();
}

TForm31::~TForm31() {
    FormDestroy();
}

void TForm31::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    layout->addWidget(PageControl1);

    const auto addTab = [this](const char* name, const QString& caption) {
        auto* page = new QWidget(PageControl1);
        page->setObjectName(QString::fromLatin1(name));
        PageControl1->addTab(page, caption);
        return page;
    };
    TabSheet1 = addTab("TabSheet1", QStringLiteral("菜園情報"));
    TabSheet2 = addTab("TabSheet2", QStringLiteral("フォトアルバム"));
    TabSheet7 = addTab("TabSheet7", QStringLiteral("オススメ"));
    TabSheet6 = addTab("TabSheet6", QStringLiteral("お気に入り"));
    CreateAlbumHeader();
    CreateAlbumPage();
    ConnectPhotoCommands();
    CreateWebTabs();
    CreateFavouritesTab();
    connect(PageControl1, &QTabWidget::currentChanged, this,
            Reported(this, &TForm31::PageControl1Change));
}

void TForm31::CreateWebTabs() {
    InstallSitePages();
    const auto fill = [](QWidget* tab, const char* name) {
        auto* browser = new TWebBrowser(tab);
        browser->setObjectName(QString::fromLatin1(name));
        auto* layout = new QVBoxLayout(tab);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(browser);
        return browser;
    };
    WebBrowser1 = fill(TabSheet1, "WebBrowser1");
    WebBrowser3 = fill(TabSheet7, "WebBrowser3");
}

void TForm31::CreateFavouritesTab() {
    auto* layout = new QVBoxLayout(TabSheet6);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);
    Label11 = new QLabel(
        QStringLiteral(
            "よく訪問するサイトや、参考にしているサイトを「追加」ボタンから登録します。"),
        TabSheet6);
    Label11->setObjectName(QStringLiteral("Label11"));
    QFont font = Label11->font();
    font.setPixelSize(12);
    Label11->setFont(font);
    layout->addWidget(Label11);

    // The page shows what the user typed, unescaped: it runs no script and offers no menu.
    WebBrowser2 = new TWebBrowser(TabSheet6);
    WebBrowser2->setObjectName(QStringLiteral("WebBrowser2"));
    WebBrowser2->LockDown();
    layout->addWidget(WebBrowser2, 1);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(4);
    const auto addButton = [&](const char* name, const QString& caption) {
        QPushButton* button = NewButton(TabSheet6, name, caption, QRect(0, 0, 50, 23));
        button->setFixedSize(50, 23);
        buttons->addWidget(button);
        return button;
    };
    Button26 = addButton("Button26", QStringLiteral("追加"));
    Button27 = addButton("Button27", QStringLiteral("変更"));
    Button28 = addButton("Button28", QStringLiteral("削除"));
    buttons->addStretch(1);
    layout->addLayout(buttons);
    connect(Button26, &QPushButton::clicked, this, Reported(this, &TForm31::Button26Click));
    connect(Button27, &QPushButton::clicked, this, Reported(this, &TForm31::Button27Click));
    connect(Button28, &QPushButton::clicked, this, Reported(this, &TForm31::Button28Click));
}

void TForm31::PageControl1Change(int index) {
    QWidget* tab = PageControl1->widget(index);
    if (tab == TabSheet1)
        TabSheet1Show();
    else if (tab == TabSheet2)
        TabSheet2Show();
    else if (tab == TabSheet7)
        TabSheet7Show();
    else if (tab == TabSheet6)
        TabSheet6Show();
}

QToolButton* TForm31::CreateIconButton(const char* name, const QString& hint, const QString& icon) {
    auto* button = new QToolButton(TabSheet2);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    button->setIcon(QIcon(icon));
    button->setIconSize(QSize(32, 32));
    button->setFixedSize(ButtonSize, ButtonSize);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void TForm31::CreateAlbumHeader() {
    Label3 = new QLabel(QStringLiteral("フォルダ："), TabSheet2);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->adjustSize();
    Label3->move(HeaderLeft, ComboTop + (24 - Label3->height()) / 2);

    ComboBox2 = new QComboBox(TabSheet2);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->setEditable(false);
    ComboBox2->setGeometry(Label3->geometry().right() + 3, ComboTop, ComboDesignWidth, 24);
    ComboBox2->setMinimumWidth(100);
    Label3->setBuddy(ComboBox2);
    connect(ComboBox2, &QComboBox::activated, this, Reported(this, &TForm31::ComboBox2Change));

    BitBtn5 = CreateIconButton("BitBtn5", QStringLiteral("写真を取り込む"),
                               QStringLiteral(":/icons/import.png"));
    BitBtn9 =
        CreateIconButton("BitBtn9", QStringLiteral("設定"), QStringLiteral(":/icons/settings.png"));
    BitBtn1 =
        CreateIconButton("BitBtn1", QStringLiteral("ヘルプ"), QStringLiteral(":/icons/help.png"));
    connect(BitBtn5, &QToolButton::clicked, this, Reported(this, &TForm31::BitBtn5Click));
    connect(BitBtn9, &QToolButton::clicked, this, Reported(this, &TForm31::BitBtn9Click));
    connect(BitBtn1, &QToolButton::clicked, this, Reported(this, &TForm31::BitBtn1Click));
    BitBtn1->setFocusPolicy(Qt::NoFocus);
    TabSheet2->installEventFilter(this);
    ArrangeAlbumHeader();
}

void TForm31::ArrangeAlbumHeader() {
    const int width = TabSheet2->width() > 100 ? TabSheet2->width() : DesignPageWidth;
    int left = width - ButtonsRightMargin - 3 * ButtonSize - 2 * ButtonGap;
    for (QToolButton* button : {BitBtn5, BitBtn9, BitBtn1}) {
        button->move(left, ButtonTop);
        left += ButtonSize + ButtonGap;
    }
    const int comboRight = BitBtn5->x() - 4;
    ComboBox2->resize(std::max(ComboBox2->minimumWidth(), comboRight - ComboBox2->x()),
                      ComboBox2->height());
}

bool TForm31::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TabSheet2 && event->type() == QEvent::Resize) {
        ArrangeAlbumHeader();
        ArrangeAlbumPage();
    }
    if (StringGrid1 && watched == StringGrid1->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            const auto* press = static_cast<QMouseEvent*>(event);
            StringGrid1MouseDown(press->button(), press->position().toPoint());
            // The right button only picks the row for the context menu.
            if (press->button() == Qt::RightButton)
                return true;
        } else if (event->type() == QEvent::MouseButtonDblClick) {
            StringGrid1DblClick();
        } else if (event->type() == QEvent::Paint) {
            ReadRowsInView(static_cast<QPaintEvent*>(event)->rect());
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TForm31::FormCreate() {
    SaveDirList = std::make_unique<TPhotoSaveDirList>();
    PhotoSetting = std::make_unique<TPhotoSetting>();
    Album = std::make_unique<TAlbum>(*PhotoSetting);
    OkiniList = std::make_unique<TOkiniList>();
}

void TForm31::FormDestroy() {
    // The album reads the settings: it goes first.
    Album.reset();
    SaveDirList.reset();
    PhotoSetting.reset();
    OkiniList.reset();
}

void TForm31::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The start-up sequence belongs to the first show only.
    if (FStarted)
        return;
    FStarted = true;
    FormShow();
}

void TForm31::FormShow() {
    StartWebPages();
    PageControl1->setCurrentWidget(TabSheet1);
    SiblingDir = ProgramDir() + QStringLiteral("data/NebelkaPhoto/");
    PhotoSetting->Load();
    SaveDirList->Load();
    FillSaveDirCombo();
    SelectRememberedFolder(PhotoSetting->SaveFolder);
    ComboBox2Change();
    StartFavouriteSites();
}

void TForm31::StartWebPages() {
    // The pages load while the rest of the start-up runs; nothing waits for them.
    WebBrowser1->Navigate(SiteBaseUrl + QStringLiteral("/info.html"));
    WebBrowser3->Navigate(SiteBaseUrl + QStringLiteral("/osusume.html"));
}

void TForm31::StartFavouriteSites() {
    OkiniList->Load();
    RefreshOkiniPage();
}

void TForm31::RefreshOkiniPage() {
    // The waits let other handlers run, and one of them may close and destroy this window.
    const QPointer<TForm31> self(this);
    // The old page lets go of the file before it is rewritten. A browser that has shown nothing
    // yet is blank already, and the start-up is spared a load.
    if (WebBrowser2->ReadyState() != TWebBrowser::TReadyState::Uninitialized) {
        WebBrowser2->Navigate(QStringLiteral("about:blank"));
        WebBrowser2->WaitUntilReady();
        if (!self)
            return;
    }
    OkiniList->WritePage(SiteBaseUrl + QStringLiteral("/okini.css"));
    WebBrowser2->Navigate(TOkiniList::PageFilePath());
    WebBrowser2->WaitUntilReady();
}

void TForm31::TabSheet1Show() {
    CloseViewer();
}

void TForm31::TabSheet7Show() {
    CloseViewer();
}

void TForm31::TabSheet6Show() {
    CloseViewer();
}

void TForm31::TabSheet2Show() {
    if (PhotoSetting->FirstStarting) {
        BitBtn1Click();
        PhotoSetting->FirstStarting = false;
        PhotoSetting->Save();
    }
    StringGrid1->setFocus();
}

void TForm31::BitBtn1Click() {
    TForm41 help(this);
    help.HelpUrl = SiteBaseUrl + QStringLiteral("/help.html");
    Dialogs::ExecModal(help);
}

void TForm31::Button26Click() {
    int result = QDialog::Rejected;
    {
        TForm18 form(this);
        form.OkiniList = OkiniList.get();
        result = Dialogs::ExecModal(form);
    }
    if (result != QDialog::Accepted)
        return;
    OkiniList->Save();
    RefreshOkiniPage();
}

// The chooser's ticked entry, or none when the user cancelled.
static TOkini* ChooseOkini(QWidget* owner, TOkiniList* list) {
    TForm19 chooser(owner);
    chooser.OkiniList = list;
    if (Dialogs::ExecModal(chooser) != QDialog::Accepted)
        return nullptr;
    return chooser.SelectedOkini;
}

void TForm31::Button27Click() {
    TOkini* okini = ChooseOkini(this, OkiniList.get());
    if (!okini)
        return;
    int result = QDialog::Rejected;
    {
        TForm18 form(this);
        form.OkiniList = OkiniList.get();
        form.Okini = okini;
        result = Dialogs::ExecModal(form);
    }
    if (result != QDialog::Accepted)
        return;
    OkiniList->Save();
    RefreshOkiniPage();
}

void TForm31::Button28Click() {
    TOkini* okini = ChooseOkini(this, OkiniList.get());
    if (!okini)
        return;
    if (!Dialogs::Confirm(okini->Name + QStringLiteral(" を削除します。よろしいですか？")))
        return;
    OkiniList->Remove(okini);
    OkiniList->Save();
    RefreshOkiniPage();
}

void TForm31::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TForm31::CloseViewer() {
    if (Form32 && Form32->isVisible())
        Form32->close();
}

void TForm31::FormClose() {
    CloseViewer();
    PhotoSetting->SaveFolder = ComboBox2->currentText();
    try {
        PhotoSetting->Save();
    } catch (const std::exception& error) {
        // The user is told that the settings were not kept; the window still closes, so that a
        // read-only program folder can never keep the program from ending.
        ReportError(error);
    }
}

void TForm31::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FormResize();
}

void TForm31::FormResize() {
    if (!StringGrid1)
        return;
    // The text column takes what the window's outer width leaves beside the first two.
    StringGrid1->SetColWidths(
        2, frameGeometry().width() - StringGrid1->ColWidths(0) - StringGrid1->ColWidths(1) - 60);
}

void TForm31::FillSaveDirCombo() {
    ComboBox2->clear();
    ComboBox2->addItem(QString::fromUtf8(CurrentFolderText));
    FSiblingInCombo = QDir(SiblingDir).exists();
    if (FSiblingInCombo)
        ComboBox2->addItem(QString::fromUtf8(SiblingFolderText));
    SaveDirList->Sort(CompareSaveDirOrder);
    for (TPhotoSaveDir* saveDir : *SaveDirList) {
        ComboBox2->addItem(saveDir->Path, QVariant::fromValue(static_cast<void*>(saveDir)));
    }
}

void TForm31::ComboBox2Change() {
    const int index = ComboBox2->currentIndex();
    const bool sibling = FSiblingInCombo && index == 1;
    BitBtn5->setEnabled(!sibling);
    if (index <= 0) {
        Album->SetCurrentDir(ProgramDir() + QStringLiteral("data/photo/"));
    } else if (sibling) {
        Album->SetCurrentDir(SiblingDir);
    } else {
        const auto* saveDir =
            static_cast<const TPhotoSaveDir*>(ComboBox2->itemData(index).value<void*>());
        Album->SetCurrentDir(saveDir ? saveDir->Path + u'/' : QString());
    }
    OpenCurrentDir();
}

void TForm31::BitBtn5Click() {
    Dialogs::TOpenFilesRequest request;
    // Patterns in both cases: file names on Linux keep the case the camera gave them.
    request.NameFilters = {
        QStringLiteral("JPEG イメージファイル (*.jpg *.jpeg *.jpe *.JPG *.JPEG *.JPE)")};
    request.MultiSelect = true;
    request.Resizable = true;
    const QStringList files = Dialogs::ChooseOpenFiles(request);
    if (files.isEmpty())
        return;

    QString dateDirName;
    QString report;
    {
        TForm40 importWindow(this);
        importWindow.PhotoSetting = PhotoSetting.get();
        importWindow.SaveDir = Album->CurrentDir();
        importWindow.PhotoDirList = &Album->PhotoDirList();
        importWindow.FileList = files;
        Dialogs::ExecModal(importWindow);
        dateDirName = importWindow.DateDirName;
        report = importWindow.Report();
    }
    // What was imported is shown, also when some files were passed over or the import stopped
    // early; then the one report tells what was not imported.
    if (!dateDirName.isEmpty())
        ShowImportedFolder(dateDirName);
    if (!report.isEmpty())
        Dialogs::ShowMessage(report);
}

void TForm31::BitBtn9Click() {
    CloseViewer();
    {
        TForm33 settings(this);
        settings.PhotoSetting = PhotoSetting.get();
        settings.SaveDirList = SaveDirList.get();
        Dialogs::ExecModal(settings);
    }
    // The folder list may have changed under the combo: fill it anew and keep the chosen entry
    // where it still exists. The album is reloaded either way.
    const QString chosen = ComboBox2->currentText();
    FillSaveDirCombo();
    SelectComboText(chosen, ComboBox2);
    ComboBox2Change();
}

void TForm31::SelectRememberedFolder(const QString& remembered) {
    // The settings file holds CP932: a path with a character outside it comes back with a '?'.
    QStringList entries;
    for (int i = 0; i < ComboBox2->count(); ++i)
        entries.append(ComboBox2->itemText(i));
    const int index = RememberedFolderIndex(entries, remembered);
    const QSignalBlocker blocker(ComboBox2);
    if (index >= 0)
        ComboBox2->setCurrentIndex(index);
    else
        SelectComboText(remembered, ComboBox2);
}

void SelectComboText(const QString& text, QComboBox* combo) {
    const QSignalBlocker blocker(combo);
    const int found = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (found >= 0)
        combo->setCurrentIndex(found);
    else if (combo->count() > 0)
        combo->setCurrentIndex(0);
}
