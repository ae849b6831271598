#pragma once

#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;
class QTableWidget;
class Sujiin;
class TPhotoSaveDirList;
class TPhotoSetting;

// The settings dialog: the list of save folders that photos are imported into, and the box that
// reduced copies are fitted into. Folder additions, removals and moves are written at once; the
// reduce size is checked and written whenever the dialog closes.
class TForm33 : public QDialog {
    Q_OBJECT
public:
    explicit TForm33(QWidget* parent = nullptr);

    // The main window's objects; the dialog owns neither.
    TPhotoSetting* PhotoSetting = nullptr;
    TPhotoSaveDirList* SaveDirList = nullptr;

    QLabel* Label1 = nullptr;
    QTableWidget* StringGrid1 = nullptr;
    QPushButton* Button4 = nullptr;  // "追加"
    QPushButton* Button5 = nullptr;  // "削除"
    QPushButton* Button2 = nullptr;  // "▲"
    QPushButton* Button1 = nullptr;  // "▼"
    QFrame* Shape1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label6 = nullptr;
    Sujiin* Sujiin2 = nullptr;  // reduce width
    QLabel* Label4 = nullptr;
    QLabel* Label7 = nullptr;
    Sujiin* Sujiin3 = nullptr;  // reduce height
    QLabel* Label5 = nullptr;
    QFrame* Shape2 = nullptr;
    QPushButton* Button3 = nullptr;  // "閉じる"

    void FillDirGrid();
    // Checks the reduce size and writes the settings; false keeps the dialog open. A settings
    // file that cannot be written is reported once, and the next close goes through.
    bool FormCloseQuery();

public slots:
    void FormShow();
    void Button4Click();
    void Button5Click();
    void Button2Click();
    void Button1Click();
    void Button3Click();
    // Every way of closing (the button, the title bar, Escape) comes here first.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateFolderControls();
    void CreateSizeControls();
    Sujiin* NewSizeBox(const char* name, const QRect& geometry);
    void MoveSelected(int step);
    bool CheckSize(Sujiin* box, const QString& message);

    bool FSaveFailureShown = false;  // the user has been told the settings cannot be written
};

// A reduce size as the dialog checks it: the decimal value of the text, 0 when it is none.
int ReduceSizeInput(const QString& text);
// The bounds of the reduce box's sides, both inclusive.
bool IsReduceSizeInRange(int value);
