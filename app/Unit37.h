#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class TTurboImage;
struct TPhoto;

// The delete confirmation: the photo's thumbnail and a yes/no question. Created for one use by
// the album's delete command and the viewer; closing it by its frame answers no.
class TForm37 : public QDialog {
    Q_OBJECT
public:
    // Dialog results, as the callers read them.
    enum TResult { mrCancel = QDialog::Rejected, mrYes = 6 };

    // centreOn: the window the dialog is centred on (the main window), whoever owns it.
    explicit TForm37(QWidget* parent = nullptr, QWidget* centreOn = nullptr);

    TPhoto* Photo = nullptr;  // not owned

    QLabel* Label1 = nullptr;
    TTurboImage* TurboImage2 = nullptr;
    QPushButton* Button1 = nullptr;  // "はい"
    QPushButton* Button2 = nullptr;  // "いいえ"

public slots:
    void FormShow();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* FCentreOn;
};
