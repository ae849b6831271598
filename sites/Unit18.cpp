#include "sites/Unit18.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "model/KavroUtils.h"
#include "platform/Dialogs.h"
#include "platform/KavroApplication.h"
#include "sites/SiteForms.h"

namespace {

constexpr int LabelLeft = 16;
constexpr int BoxLeft = 72;
constexpr int BoxWidth = 346;
constexpr int BoxHeight = 24;
constexpr int FontPixels = 13;

}  // namespace

TForm18::TForm18(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form18"));
    setWindowTitle(QStringLiteral("URL登録"));
    CreateControls();
    setFixedSize(434, 243);
    CentreOnParent(this);
}

void TForm18::CreateControls() {
    // One row per box: its caption on the left, the box, and the hint under its right end.
    const auto addRow = [this](int top, const char* labelName, const QString& caption,
                               const char* boxName, const char* hintName, const QString& hint,
                               QLabel*& label, QLineEdit*& box, QLabel*& hintLabel) {
        label = NewLabel(this, labelName, caption, QRect(LabelLeft, top, 52, BoxHeight));
        SetPixelFont(label, FontPixels);
        box = new QLineEdit(this);
        box->setObjectName(QString::fromLatin1(boxName));
        box->setGeometry(BoxLeft, top, BoxWidth, BoxHeight);
        SetPixelFont(box, FontPixels);
        label->setBuddy(box);
        hintLabel =
            NewLabel(this, hintName, hint, QRect(BoxLeft, top + BoxHeight + 2, BoxWidth, 18));
        SetPixelFont(hintLabel, FontPixels);
        hintLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    };
    addRow(16, "Label2", QStringLiteral("名称"), "Edit1", "Label3",
           QStringLiteral("サイト名やブログ名など"), Label2, Edit1, Label3);
    addRow(76, "Label19", QStringLiteral("URL"), "Edit3", "Label4",
           QStringLiteral("例）http://www.xxxxxx.jp/"), Label19, Edit3, Label4);
    addRow(136, "Label1", QStringLiteral("メモ"), "Edit2", "Label5",
           QStringLiteral("例）トマトの育て方について詳しく書かれている"), Label1, Edit2, Label5);

    // The address is typed in plain letters; name and note take Japanese input.
    Edit3->setText(QStringLiteral("http://"));
    Edit3->setAttribute(Qt::WA_InputMethodEnabled, false);
    Edit3->setInputMethodHints(Qt::ImhUrlCharactersOnly | Qt::ImhNoPredictiveText);

    Button1 = NewButton(this, "Button1", QStringLiteral("OK"), QRect(262, 200, 75, 25));
    Button2 = NewButton(this, "Button2", QStringLiteral("キャンセル"), QRect(343, 200, 75, 25));
    connect(Button1, &QPushButton::clicked, this, Reported(this, &TForm18::Button1Click));
    connect(Button2, &QPushButton::clicked, this, Reported(this, &TForm18::Button2Click));
    setTabOrder(Edit1, Edit3);
    setTabOrder(Edit3, Edit2);
    setTabOrder(Edit2, Button1);
    setTabOrder(Button1, Button2);
}

void TForm18::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TForm18::FormShow() {
    if (Okini) {
        Edit1->setText(Okini->Name);
        Edit3->setText(Okini->Url);
        Edit2->setText(Okini->Memo);
    }
    Edit1->setFocus();
}

void TForm18::Button1Click() {
    if (Edit1->text().isEmpty()) {
        Dialogs::ShowMessage(QStringLiteral("名称を入力してください。"));
        Edit1->setFocus();
        return;
    }
    if (Edit3->text().isEmpty()) {
        Dialogs::ShowMessage(QStringLiteral("URLを入力してください。"));
        Edit3->setFocus();
        return;
    }
    if (!Okini)
        Okini = OkiniList->Add(std::make_unique<TOkini>());
    Okini->Name = Edit1->text();
    Okini->Url = Edit3->text();
    Okini->Memo = Edit2->text();
    accept();
}

void TForm18::Button2Click() {
    reject();
}
