#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class TOkiniList;
struct TOkini;

// The URL registration dialog: adds a favourite site to the list, or changes the one it is
// given. Edits reach the entry only on OK.
class TForm18 : public QDialog {
    Q_OBJECT
public:
    explicit TForm18(QWidget* parent = nullptr);

    TOkiniList* OkiniList = nullptr;  // the list a new entry is appended to; not owned
    TOkini* Okini = nullptr;          // the entry being changed, or none when adding

    QLabel* Label2 = nullptr;
    QLineEdit* Edit1 = nullptr;  // name
    QLabel* Label3 = nullptr;
    QLabel* Label19 = nullptr;
    QLineEdit* Edit3 = nullptr;  // address
    QLabel* Label4 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit2 = nullptr;  // note
    QLabel* Label5 = nullptr;
    QPushButton* Button1 = nullptr;  // OK
    QPushButton* Button2 = nullptr;  // キャンセル

public slots:
    void FormShow();
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
};
