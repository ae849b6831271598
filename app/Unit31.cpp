#include "app/Unit31.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/Unit32.h"
#include "app/Unit40.h"
#include "platform/Dialogs.h"
#include "platform/KavroApplication.h"
#include "platform/ProgramDir.h"

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
}

QToolButton* TForm31::CreateIconButton(const char* name, const QString& hint, const QString& icon) {
    auto* button = new QToolButton(TabSheet2);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    button->setIcon(QIcon(icon));
    button->setIconSize(QSize(32, 32));
    button->setFixedSize(ButtonSize, ButtonSize);
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
    Label3->setBuddy(ComboBox2);
    connect(ComboBox2, &QComboBox::activated, this, &TForm31::ComboBox2Change);

    BitBtn5 = CreateIconButton("BitBtn5", QStringLiteral("写真を取り込む"),
                               QStringLiteral(":/icons/import.png"));
    BitBtn9 =
        CreateIconButton("BitBtn9", QStringLiteral("設定"), QStringLiteral(":/icons/settings.png"));
    BitBtn1 =
        CreateIconButton("BitBtn1", QStringLiteral("ヘルプ"), QStringLiteral(":/icons/help.png"));
    connect(BitBtn5, &QToolButton::clicked, this, &TForm31::BitBtn5Click);
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
    ComboBox2->resize(std::max(100, comboRight - ComboBox2->x()), ComboBox2->height());
}

bool TForm31::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TabSheet2 && event->type() == QEvent::Resize)
        ArrangeAlbumHeader();
    return QWidget::eventFilter(watched, event);
}

void TForm31::FormCreate() {
    SaveDirList = std::make_unique<TPhotoSaveDirList>();
    PhotoSetting = std::make_unique<TPhotoSetting>();
    PhotoDirList = std::make_unique<TPhotoDirList>();
    PhotoOkiniList = std::make_unique<TPhotoOkiniList>();
    PhotoTagList = std::make_unique<TPhotoTagList>();
    PhotoList = std::make_unique<TPhotoList>();
    TagList = std::make_unique<TTagList>();
}

void TForm31::FormDestroy() {
    SaveDirList.reset();
    PhotoSetting.reset();
    PhotoDirList.reset();
    PhotoList.reset();
    TagList.reset();
    PhotoOkiniList.reset();
    PhotoTagList.reset();
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
    SelectComboText(PhotoSetting->SaveFolder, ComboBox2);
    ComboBox2Change();
    StartFavouriteSites();
}

void TForm31::StartWebPages() {
    // The "菜園情報" and "オススメ" tabs start loading the publisher's pages here once the web
    // tabs are built.
}

void TForm31::StartFavouriteSites() {
    // The favourite sites tab loads its list and shows its page here once that tab is built.
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
    // The album grid's text column follows the window's width once the album grid is built.
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
        CurrentDir = ProgramDir() + QStringLiteral("data/photo/");
    } else if (sibling) {
        CurrentDir = SiblingDir;
    } else {
        const auto* saveDir =
            static_cast<const TPhotoSaveDir*>(ComboBox2->itemData(index).value<void*>());
        CurrentDir = saveDir ? saveDir->Path + u'/' : QString();
    }
    OpenCurrentDir();
}

void TForm31::OpenCurrentDir() {
    // The album page loads the open folder's dated folders, favourite photos and tags here and
    // lists its newest dated folder once the album page is built.
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
    std::exception_ptr failure;
    {
        TForm40 importWindow(this);
        importWindow.PhotoSetting = PhotoSetting.get();
        importWindow.SaveDir = CurrentDir;
        importWindow.PhotoDirList = PhotoDirList.get();
        importWindow.FileList = files;
        importWindow.exec();
        dateDirName = importWindow.DateDirName;
        failure = importWindow.Failure();
    }
    // The error that stopped the import reaches the general error report; the album then stays
    // as it was.
    if (failure)
        std::rethrow_exception(failure);
    ShowImportedFolder(dateDirName);
}

void TForm31::ShowImportedFolder(const QString& dateDirName) {
    // The album page lists the import's dated folder here, in its folder mode, once the album
    // page is built.
    Q_UNUSED(dateDirName);
}

// The album grid's selection, stepping and refresh are built with the album page; until then the
// album has no rows.
TPhoto* TForm31::GetCurrentPhoto() {
    return nullptr;
}

TPhoto* TForm31::SelectPreviousPhoto() {
    return nullptr;
}

TPhoto* TForm31::SelectNextPhoto() {
    return nullptr;
}

void TForm31::RefreshGridCells() {}

void TForm31::DeletePhoto(TPhoto* photo) {
    Q_UNUSED(photo);
}

void SelectComboText(const QString& text, QComboBox* combo) {
    const QSignalBlocker blocker(combo);
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemText(i) == text) {
            combo->setCurrentIndex(i);
            return;
        }
    }
    if (combo->count() > 0)
        combo->setCurrentIndex(0);
}
