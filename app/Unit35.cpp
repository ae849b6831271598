#include "app/Unit35.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "app/FormUtils.h"
#include "app/PictureBoxes.h"
#include "imaging/TurboImg.h"
#include "model/KavroUtils.h"
#include "platform/Dialogs.h"
#include "platform/KavroApplication.h"

namespace {

constexpr int PreviewBox = 120;

// The extension with its dot ("IMG_0001.JPG" gives ".JPG"), or empty.
QString DottedSuffix(const QString& path) {
    const QString suffix = QFileInfo(path).suffix();
    return suffix.isEmpty() ? suffix : u'.' + suffix;
}

}  // namespace

TForm35::TForm35(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form35"));
    setWindowTitle(QStringLiteral("アップロード"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(365, 337);

    Label3 = NewLabel(this, "Label3", QStringLiteral("保存先に同じ名前のファイルが既にあります。"),
                      {37, 21});
    SetPixelFont(Label3, 16);
    Label3->adjustSize();
    // With the 16-pixel Japanese font the question is wider than the designed place allows; it
    // moves left just enough to stay whole inside the dialog.
    Label3->move(std::min(Label3->x(), width() - Label3->width() - 8), Label3->y());
    RadioButton1 = NewRadioButton(this, "RadioButton1", QStringLiteral("置き換える"), {37, 60});
    RadioButton2 = NewRadioButton(this, "RadioButton2", QStringLiteral("置き換えない"), {201, 60});
    RadioButton3 =
        NewRadioButton(this, "RadioButton3", QStringLiteral("両方のファイルを保存する"), {37, 202});
    RadioButton1->setChecked(true);
    for (QRadioButton* button : {RadioButton1, RadioButton2, RadioButton3}) {
        connect(button, &QRadioButton::clicked, this, Reported(this, &TForm35::RadioButtonClick));
    }

    TurboImage2 = NewPictureBox(this, "TurboImage2", QRect(64, 83, PreviewBox, PreviewBox));
    TurboImage1 = NewPictureBox(this, "TurboImage1", QRect(228, 83, PreviewBox, PreviewBox));

    Label1 = NewLabel(this, "Label1", QStringLiteral("ファイル名："), {63, 234});
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(138, 232, 141, 21);
    Label2 = NewLabel(this, "Label2", QString(), {285, 234});
    Label2->setFixedWidth(43);

    Button1 = NewButton(this, "Button1", QStringLiteral("ＯＫ"), QRect(103, 290, 75, 25));
    Button2 = NewButton(this, "Button2", QStringLiteral("キャンセル"), QRect(187, 290, 75, 25));
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, Reported(this, &TForm35::Button1Click));
    connect(Button2, &QPushButton::clicked, this, Reported([this] { done(mrCancel); }));
    RadioButtonClick();
}

void TForm35::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!FirstShow(this))
        return;
    CentreOnParent(this);
    FormShow();
}

void TForm35::FormShow() {
    ShowPicture(SourcePath, TurboImage2);
    ShowPicture(DestPath, TurboImage1);
    Edit1->setText(QFileInfo(DestPath).completeBaseName());
    Label2->setText(DottedSuffix(SourcePath));
    RadioButtonClick();
}

void TForm35::ShowPicture(const QString& path, TTurboImage* box) {
    // A picture that cannot be shown leaves its box empty: the user can still decide by name.
    try {
        TBitmap picture;
        LoadGraphic(picture, path);
        // The box keeps a copy the right way up at its own size, so that the dialog holds no
        // full-size raster while the import window holds the photo in hand.
        const TBitmap small = ShownPicture(picture, ReadOrientation(path), PreviewBox, PreviewBox);
        picture.Clear();
        FitToBox(small, PreviewBox, PreviewBox, *box);
    } catch (const Exception&) {
        box->Picture().Clear();
    }
}

void TForm35::RadioButtonClick() {
    const bool both = RadioButton3->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{Label1, Edit1, Label2}) {
        control->setEnabled(both);
    }
}

void TForm35::Button1Click() {
    if (RadioButton1->isChecked()) {
        done(mrYes);
        return;
    }
    if (RadioButton2->isChecked()) {
        done(mrNo);
        return;
    }
    if (Edit1->text().isEmpty()) {
        RefuseName(QStringLiteral("変更するファイル名を入力してください。"));
        return;
    }
    const QString name = Edit1->text() + DottedSuffix(DestPath);
    // A name the file system cannot hold is refused here, while the user can still change it.
    if (const QString refusal = NameRefusal(name); !refusal.isEmpty()) {
        RefuseName(refusal);
        return;
    }
    if (QFileInfo::exists(QFileInfo(DestPath).absolutePath() + u'/' + name)) {
        RefuseName(QStringLiteral(
            "既に存在するファイル名が指定されています。ファイル名を変更してください。"));
        return;
    }
    NewFileName = name;
    done(mrOk);
}

void TForm35::RefuseName(const QString& message) {
    Dialogs::ShowMessage(message);
    Edit1->setFocus();
}
