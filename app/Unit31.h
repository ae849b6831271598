#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <memory>

#include "app/ViewerAlbum.h"
#include "model/KavroUtils.h"

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QPainter;
class QTabWidget;
class QToolButton;
class TForm32;
class TMyStringGrid;
struct TGridDrawState;
class QPushButton;
class TWebBrowser;

// The main window: the page control with its four tabs, the album tab's folder combo and
// buttons, and every model object of the program, which it owns for the life of the process.
// The album page shows what the album (TAlbum) holds and asks it for every change; the viewer
// follows the page through TViewerAlbum.
class TForm31 : public QWidget, public TViewerAlbum {
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

    // The album page below the header.
    QFrame* Shape2 = nullptr;
    QComboBox* ComboBox3 = nullptr;   // mode: 0 folder, 1 tag, 2 favourites
    QComboBox* ComboBox1 = nullptr;   // the dated folder or the tag
    QToolButton* BitBtn2 = nullptr;   // view
    QToolButton* BitBtn7 = nullptr;   // make a favourite
    QToolButton* BitBtn4 = nullptr;   // stop being a favourite (same place as BitBtn7)
    QToolButton* BitBtn8 = nullptr;   // tags
    QToolButton* BitBtn10 = nullptr;  // delete
    TMyStringGrid* StringGrid1 = nullptr;
    QLabel* Image1 = nullptr;  // the favourite mark, hidden
    QMenu* PopupActionBar1 = nullptr;
    QAction* N1 = nullptr;  // copy the full-size file's path
    QAction* N2 = nullptr;  // copy the reduced copy's path

    // Model objects, created empty in FormCreate and freed in FormDestroy.
    std::unique_ptr<TPhotoSaveDirList> SaveDirList;
    std::unique_ptr<TPhotoSetting> PhotoSetting;
    // The open folder (CurrentDir) with its dated folders, stores and the photos listed.
    std::unique_ptr<TAlbum> Album;
    std::unique_ptr<TOkiniList> OkiniList;

    QString SiblingDir;         // the program folder + "data/NebelkaPhoto/"
    TForm32* Form32 = nullptr;  // the viewer; owned by the program entry

    void FillSaveDirCombo();
    // Chooses the entry that the settings file remembers (RememberedFolderIndex), else the first.
    void SelectRememberedFolder(const QString& remembered);
    void OpenCurrentDir();
    void ShowImportedFolder(const QString& dateDirName);

    // What the viewer and the photo commands use of the album page.
    TPhoto* GetCurrentPhoto() override;
    TPhoto* SelectPreviousPhoto() override;
    TPhoto* SelectNextPhoto() override;
    qsizetype PhotoCount() const override;
    void RefreshGridCells() override;
    void DeletePhoto(TPhoto* photo) override;
    QWidget* AlbumWindow() override { return this; }
    // Hides the viewer when it is showing (mode and filter changes, commands, web tabs, close).
    void CloseViewer();
    // Writes the favourite sites page anew and shows it, waiting for both loads.
    void RefreshOkiniPage();

    // The album page's grid maintenance, which the photo commands use after a change.
    void ClearGridCells();
    void LayoutGrid();
    void HideBlankSelection();
    void FillGridCells();
    void UpdateFavouriteButtons(int row);
    void FillFilterCombo();
    // The photo of a grid row, or none (a blank row, or a row out of range).
    TPhoto* PhotoOfRow(int row) const;

public slots:
    void FormCreate();
    void FormShow();
    void FormClose();
    void FormDestroy();
    void FormResize();
    void ComboBox2Change();
    void BitBtn5Click();
    void BitBtn9Click();
    void ComboBox3Change();
    void ComboBox1Change();
    void StringGrid1DblClick();
    void PopupActionBar1Popup();
    void N1Click();
    void N2Click();
    void TabSheet2Show();
    // The photo commands.
    void BitBtn2Click();
    void BitBtnClick(QObject* sender);  // BitBtn7 or BitBtn4
    void BitBtn8Click();
    void BitBtn10Click();

public:
    // The grid's events.
    void StringGrid1DrawCell(QPainter& canvas, int col, int row, const QRect& rect,
                             const TGridDrawState& state);
    void StringGrid1SelectCell(int col, int row);
    void StringGrid1MouseDown(Qt::MouseButton button, const QPoint& position);
    void BitBtn1Click();
    void TabSheet1Show();
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
    void CreateAlbumPage();
    void ArrangeAlbumPage();
    void DrawThumbnail(QPainter& canvas, const QRect& rect, const TPhoto& photo) const;
    void ShowReadFailure(int row, const TPhoto& photo);
    void ConnectPhotoCommands();
    // True when a row is selected and the list is not empty; with no row selected shows the
    // message and gives the grid the focus.
    bool PhotoChosen(const QString& message);
    void ReadRowsInView(const QRect& area);
    void ReadExifOfRow(int row, TPhoto& photo);
    // Puts the photo's InfoText into column 2 of the row, drawn as stored.
    void SetInfoCell(int row, const TPhoto& photo);
    void StartWebPages();
    void StartFavouriteSites();
    QToolButton* CreateIconButton(const char* name, const QString& hint, const QString& icon);

    bool FStarted = false;
    QImage FFavouriteMark;  // Image1's picture with its white transparent
    QImage FNoThumbnail;    // drawn for a thumbnail that cannot be read
    bool FSiblingInCombo = false;
};

// Chooses the first item whose text equals the given text exactly; else the first item. Does
// not raise the combo's change handler.
void SelectComboText(const QString& text, QComboBox* combo);
