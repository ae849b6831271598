#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TTagList;
class TTurboImage;
struct TPhoto;

// The tag dialog: the photo's thumbnail, its tag text to edit and the tag names already in use
// to add from. OK hands the edited text back in TagText; the dialog never changes the photo,
// which takes the text only once the tag store holds it (TAlbum::SetTags).
class TForm38 : public QDialog {
    Q_OBJECT
public:
    enum TResult { mrCancel = QDialog::Rejected, mrOk = QDialog::Accepted };

    // centreOn: the window the dialog is centred on (the main window), whoever owns it.
    explicit TForm38(QWidget* parent = nullptr, QWidget* centreOn = nullptr);

    TPhoto* Photo = nullptr;            // not owned
    const TTagList* TagList = nullptr;  // not owned
    // After OK: the edited text, without what the tag store cannot keep (StorableTagText).
    QString TagText;

    TTurboImage* TurboImage2 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton* Button3 = nullptr;  // "追加"
    QPushButton* Button1 = nullptr;  // "OK"
    QPushButton* Button2 = nullptr;  // "キャンセル"

public slots:
    void FormShow();
    void Button3Click();
    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* FCentreOn;
};

// The text with every character removed that the tag store cannot keep in its file: control
// characters (tab and line breaks included), unpaired surrogates and the non-characters U+FFFE
// and U+FFFF. Everything else, blanks and repeated commas included, stays as typed.
QString StorableTagText(const QString& text);
