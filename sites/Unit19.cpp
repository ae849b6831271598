#include "sites/Unit19.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/ListView3.h"
#include "model/KavroUtils.h"
#include "platform/Dialogs.h"
#include "platform/KavroApplication.h"
#include "sites/SiteForms.h"

TForm19::TForm19(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form19"));
    setWindowTitle(QStringLiteral("お気に入り一覧"));
    setSizeGripEnabled(true);
    CreateControls();
    resize(500, 318);
    CentreOnParent(this);
}

void TForm19::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ListView31 = new TListView3(this);
    ListView31->setObjectName(QStringLiteral("ListView31"));
    SetPixelFont(ListView31, 13);
    ListView31->SetSmallImages(TickImages());
    ListView31->setIconSize(QSize(16, 20));
    ListView31->setHeaderLabels({QString(), QStringLiteral("名称"), QStringLiteral("URL")});
    ListView31->header()->setMinimumSectionSize(16);
    ListView31->header()->setSectionResizeMode(0, QHeaderView::Fixed);
    ListView31->header()->setStretchLastSection(false);
    ListView31->setColumnWidth(0, 25);
    ListView31->setColumnWidth(1, 190);
    ListView31->setColumnWidth(2, 250);
    ListView31->SetGridLines(true);
    layout->addWidget(ListView31, 1);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(41);
    auto* buttons = new QHBoxLayout(Panel1);
    buttons->setContentsMargins(0, 8, 0, 8);
    buttons->setSpacing(8);
    Button2 = NewButton(Panel1, "Button2", QStringLiteral("OK"), QRect(0, 0, 75, 25));
    Button3 = NewButton(Panel1, "Button3", QStringLiteral("キャンセル"), QRect(0, 0, 75, 25));
    for (QPushButton* button : {Button2, Button3})
        button->setFixedSize(75, 25);
    buttons->addStretch(1);
    buttons->addWidget(Button2);
    buttons->addWidget(Button3);
    buttons->addStretch(1);
    layout->addWidget(Panel1);

    connect(Button2, &QPushButton::clicked, this, Reported(this, &TForm19::Button2Click));
    connect(Button3, &QPushButton::clicked, this, Reported([this] { reject(); }));
}

void TForm19::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TForm19::FormShow() {
    ListView31->clear();
    if (!OkiniList)
        return;
    for (TOkini* okini : *OkiniList)
        ListView31->AddItem(QString(), {okini->Name, okini->Url}, 0, okini);
}

void TForm19::Button2Click() {
    if (ListView31->CheckedCount() == 0) {
        Dialogs::ShowMessage(QStringLiteral("お気に入りを選択してください。"));
        return;
    }
    SelectedOkini = static_cast<TOkini*>(TListView3::Data(ListView31->CheckedItem()));
    accept();
}
