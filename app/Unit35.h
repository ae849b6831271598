#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TTurboImage;

// The name-conflict dialog of the import: the photo being imported and the file of the same
// name already in the dated folder, side by side; the user replaces it, skips the new file or
// keeps both under a new name.
class TForm35 : public QDialog {
    Q_OBJECT
public:
    // Dialog results, as the import reads them. Escape and closing the window give cancel.
    enum TResult { mrCancel = QDialog::Rejected, mrOk = QDialog::Accepted, mrYes = 6, mrNo = 7 };

    explicit TForm35(QWidget* parent = nullptr);

    QString SourcePath;  // the file being imported
    QString DestPath;    // the file of the same name already in the dated folder
    QString NewFileName;  // with "両方のファイルを保存する": the new name, with extension

    QLabel* Label3 = nullptr;
    QRadioButton* RadioButton1 = nullptr;  // "置き換える"
    QRadioButton* RadioButton2 = nullptr;  // "置き換えない"
    QRadioButton* RadioButton3 = nullptr;  // "両方のファイルを保存する"
    TTurboImage* TurboImage2 = nullptr;    // the file being imported
    TTurboImage* TurboImage1 = nullptr;    // the existing file
    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* Button1 = nullptr;  // "ＯＫ"
    QPushButton* Button2 = nullptr;  // "キャンセル"

public slots:
    void FormShow();
    void RadioButtonClick();
    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ShowPicture(const QString& path, TTurboImage* box);
    void RefuseName(const QString& message);
};
