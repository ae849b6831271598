#pragma once

#include <QString>
#include <QWidget>
#include <memory>

#include "model/KavroUtils.h"

class QComboBox;
class QLabel;
class QTabWidget;
class QToolButton;
class TForm32;

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
    QToolButton* BitBtn5 = nullptr;  // import
    QToolButton* BitBtn9 = nullptr;  // settings
    QToolButton* BitBtn1 = nullptr;  // help

    // Model objects, created empty in FormCreate and freed in FormDestroy.
    std::unique_ptr<TPhotoSaveDirList> SaveDirList;
    std::unique_ptr<TPhotoSetting> PhotoSetting;
    std::unique_ptr<TPhotoDirList> PhotoDirList;
    std::unique_ptr<TPhotoOkiniList> PhotoOkiniList;
    std::unique_ptr<TPhotoTagList> PhotoTagList;
    std::unique_ptr<TPhotoList> PhotoList;
    std::unique_ptr<TTagList> TagList;

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

public slots:
    void FormCreate();
    void FormShow();
    void FormClose();
    void FormDestroy();
    void FormResize();
    void ComboBox2Change();
    void BitBtn5Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreateAlbumHeader();
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
