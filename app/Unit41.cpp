#include "app/Unit41.h"

#include <QShortcut>
#include <QVBoxLayout>

#include "app/FormUtils.h"
#include "app/SitePages.h"
#include "app/WebBrowser.h"

TForm41::TForm41(QWidget* parent) : QDialog(parent) {
    InstallSitePages();
    setObjectName(QStringLiteral("Form41"));
    setWindowTitle(QStringLiteral("ヘルプ"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    WebBrowser1 = new TWebBrowser(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    layout->addWidget(WebBrowser1);
    setFixedSize(455, 500);
    CentreOnParent(this);
    // The page takes the keys while it has the focus, Escape among them: the window's own
    // shortcut closes it from anywhere inside, as Escape closes every other dialog.
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    close->setContext(Qt::WindowShortcut);
    connect(close, &QShortcut::activated, this, &QDialog::reject);
}

int TForm41::exec() {
    // The windows behind kept taking clicks while this window with its browser was open (Qt's
    // modality did not hold here), and a second click on the album tab opened a second help
    // window: nothing behind it takes input until it closes.
    const TInputBlocker blocker(this);
    return QDialog::exec();
}

void TForm41::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TForm41::FormShow() {
    WebBrowser1->Navigate(HelpUrl);
}
