#pragma once

#include <QString>
#include <QWidget>
#include <memory>

#include "model/KavroUtils.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QToolButton;
class TForm32;
class TWebBrowser;

// The main window: the page control with its four tabs, the album tab's folder combo and
// buttons, and every model object of the program, which it owns for the life of the process.
class TForm31 : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* CurrentFolderText = "カレントフォルダ";
    static constexpr const char* SiblingFolderText = "ネベルカ用フォルダ";

    explicit TForm31(QWidget* parent = nullptr);
    ~TForm31() override;

    // Controls, named as their objectName().
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;  // "菜園情報"
    QWidget* TabSheet2 = nullptr;  // "フォトアルバム"
    QWidget* TabSheet7 = nullptr;  // "オススメ"
    QWidget* TabSheet6 = nullptr;  // "お気に入り"
    QLabel* Label3 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QToolButton* BitBtn5 = nullptr;      // import
    QToolButton* BitBtn9 = nullptr;      // settings
    QToolButton* BitBtn1 = nullptr;      // help
    TWebBrowser* WebBrowser1 = nullptr;  // "菜園情報"
    TWebBrowser* WebBrowser3 = nullptr;  // "オススメ"
    QLabel* Label11 = nullptr;
    TWebBrowser* WebBrowser2 = nullptr;  // the favourite sites page
    QPushButton* Button26 = nullptr;     // "追加"
    QPushButton* Button27 = nullptr;     // "変更"
    QPushButton* Button28 = nullptr;     // "削除"

    // Model objects, created empty in FormCreate and freed in FormDestroy.
    std::unique_ptr<TPhotoSaveDirList> SaveDirList;
    std::unique_ptr<TPhotoSetting> PhotoSetting;
    std::unique_ptr<TPhotoDirList> PhotoDirList;
    std::unique_ptr<TPhotoOkiniList> PhotoOkiniList;
    std::unique_ptr<TPhotoTagList> PhotoTagList;
    std::unique_ptr<TPhotoList> PhotoList;
    std::unique_ptr<TTagList> TagList;
    std::unique_ptr<TOkiniList> OkiniList;

    QString CurrentDir;         // the open folder, ending in '/'
    QString SiblingDir;         // the program folder + "data/NebelkaPhoto/"
    TForm32* Form32 = nullptr;  // the viewer; owned by the program entry

    void FillSaveDirCombo();
    void OpenCurrentDir();
    void ShowImportedFolder(const QString& dateDirName);

    // What the viewer and the photo commands use of the album page.
    TPhoto* GetCurrentPhoto();
    TPhoto* SelectPreviousPhoto();
    TPhoto* SelectNextPhoto();
    void RefreshGridCells();
    void DeletePhoto(TPhoto* photo);
    // Hides the viewer when it is showing (mode and filter changes, commands, web tabs, close).
    void CloseViewer();
    // Writes the favourite sites page anew and shows it, waiting for both loads.
    void RefreshOkiniPage();

public slots:
    void FormCreate();
    void FormShow();
    void FormClose();
    void FormDestroy();
    void FormResize();
    void ComboBox2Change();
    void BitBtn5Click();
    void BitBtn1Click();
    void TabSheet1Show();
    void TabSheet2Show();
    void TabSheet7Show();
    void TabSheet6Show();
    void Button26Click();
    void Button27Click();
    void Button28Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreateAlbumHeader();
    void CreateWebTabs();
    void CreateFavouritesTab();
    void PageControl1Change(int index);
    void ArrangeAlbumHeader();
    void StartWebPages();
    void StartFavouriteSites();
    QToolButton* CreateIconButton(const char* name, const QString& hint, const QString& icon);

    bool FStarted = false;
    bool FSiblingInCombo = false;
};

// Chooses the first item whose text equals the given text exactly; else the first item. Does
// not raise the combo's change handler.
void SelectComboText(const QString& text, QComboBox* combo);

// The width of the album grid's text column for a window of this outer width.
int AlbumTextColumnWidth(int outerWidth, int column0Width, int column1Width);
