#pragma once

#include <QDialog>
#include <QString>

class TWebBrowser;

// The help window: shows the help page in its browser, created anew for each opening.
class TForm41 : public QDialog {
    Q_OBJECT
public:
    explicit TForm41(QWidget* parent = nullptr);

    QString HelpUrl;  // the address to show, set before the window is shown
    TWebBrowser* WebBrowser1 = nullptr;

    int exec() override;

public slots:
    void FormShow();

protected:
    void showEvent(QShowEvent* event) override;
};
