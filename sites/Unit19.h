#pragma once

#include <QDialog>

class QPushButton;
class QWidget;
class TListView3;
class TOkiniList;
struct TOkini;

// The favourites chooser: the user ticks one site and presses OK.
class TForm19 : public QDialog {
    Q_OBJECT
public:
    explicit TForm19(QWidget* parent = nullptr);

    TOkiniList* OkiniList = nullptr;  // the list shown; not owned
    TOkini* SelectedOkini = nullptr;  // the ticked entry, set on OK only

    TListView3* ListView31 = nullptr;
    QWidget* Panel1 = nullptr;
    QPushButton* Button2 = nullptr;  // OK
    QPushButton* Button3 = nullptr;  // キャンセル

public slots:
    void FormShow();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
};
