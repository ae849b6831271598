#include "app/Unit38.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/FormUtils.h"
#include "imaging/TurboImg.h"
#include "model/KavroUtils.h"
#include "platform/KavroApplication.h"

namespace {
constexpr QRect ThumbnailBox(120, 24, 130, 130);
}  // namespace

TForm38::TForm38(QWidget* parent, QWidget* centreOn) : QDialog(parent), FCentreOn(centreOn) {
    setObjectName(QStringLiteral("Form38"));
    setWindowTitle(QStringLiteral("タグ"));
    UseTextFamily(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(371, 365);

    TurboImage2 = NewPictureBox(this, "TurboImage2", ThumbnailBox);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    SetPixelFont(Edit1, 15);
    Edit1->setGeometry(22, 174, 328, Edit1->sizeHint().height());
    Label1 = NewLabel(this, "Label1",
                      QStringLiteral("※タグをカンマ（半角）区切りで入力してください。"), {44, 207});
    SetPixelFont(Label1, 15);
    KeepLabelInside(Label1);
    Label2 = NewLabel(this, "Label2", QStringLiteral("例）トマト,収穫"), {57, 231});
    SetPixelFont(Label2, 13);
    Label2->adjustSize();
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(false);
    ComboBox1->setMaxVisibleItems(12);
    ComboBox1->setGeometry(85, 267, 145, 24);
    Button3 = NewButton(this, "Button3", QStringLiteral("追加"), QRect(236, 266, 49, 26));
    Button1 = NewButton(this, "Button1", QStringLiteral("OK"), QRect(108, 322, 75, 25));
    Button2 = NewButton(this, "Button2", QStringLiteral("キャンセル"), QRect(189, 322, 75, 25));

    setTabOrder(Edit1, ComboBox1);
    setTabOrder(ComboBox1, Button3);
    setTabOrder(Button3, Button1);
    setTabOrder(Button1, Button2);
    for (QWidget* passive : std::initializer_list<QWidget*>{TurboImage2, Label1, Label2})
        passive->setFocusPolicy(Qt::NoFocus);

    connect(Button3, &QPushButton::clicked, this, Reported(this, &TForm38::Button3Click));
    connect(Button1, &QPushButton::clicked, this, Reported(this, &TForm38::Button1Click));
    connect(Button2, &QPushButton::clicked, this, Reported([this] { done(mrCancel); }));
}

void TForm38::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!FirstShow(this))
        return;
    CentreOnWindow(this, FCentreOn);
    FormShow();
    Edit1->setFocus();
}

void TForm38::FormShow() {
    if (Photo) {
        ShowFitted(TurboImage2, ThumbnailBox, Photo->Thumbnail);
        Edit1->setText(Photo->Tags);
    }
    ComboBox1->clear();
    if (TagList) {
        for (const TTag* tag : *TagList)
            ComboBox1->addItem(tag->Name);
    }
    ComboBox1->setCurrentIndex(-1);
}

void TForm38::Button3Click() {
    if (ComboBox1->currentIndex() < 0)
        return;
    const QString name = ComboBox1->currentText();
    if (name.isEmpty())
        return;
    const QString text = Edit1->text();
    Edit1->setText(text.isEmpty() ? name : text + u',' + name);
}

void TForm38::Button1Click() {
    TagText = StorableTagText(Edit1->text());
    done(mrOk);
}

QString StorableTagText(const QString& text) {
    QString kept;
    kept.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            kept += c;
            kept += text[++i];
            continue;
        }
        if (c.isSurrogate() || c.category() == QChar::Other_Control || c.unicode() == 0xFFFE ||
            c.unicode() == 0xFFFF) {
            continue;
        }
        kept += c;
    }
    return kept;
}
