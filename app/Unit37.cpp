#include "app/Unit37.h"

#include <QLabel>
#include <QPushButton>

#include "app/FormUtils.h"
#include "imaging/TurboImg.h"
#include "model/KavroUtils.h"
#include "platform/KavroApplication.h"

namespace {
constexpr QRect ThumbnailBox(102, 51, 130, 130);
}  // namespace

TForm37::TForm37(QWidget* parent, QWidget* centreOn) : QDialog(parent), FCentreOn(centreOn) {
    setObjectName(QStringLiteral("Form37"));
    setWindowTitle(QStringLiteral("削除"));
    UseTextFamily(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(334, 237);

    Label1 = NewLabel(this, "Label1",
                      QStringLiteral("表示されている写真を削除してよろしいですか？"), {17, 16});
    SetPixelFont(Label1, 16);
    KeepLabelInside(Label1);
    TurboImage2 = NewPictureBox(this, "TurboImage2", ThumbnailBox);
    // Neither button is the default: Enter must never delete a photo by accident.
    Button1 = NewButton(this, "Button1", QStringLiteral("はい"), QRect(89, 202, 75, 25));
    Button2 = NewButton(this, "Button2", QStringLiteral("いいえ"), QRect(170, 202, 75, 25));
    connect(Button1, &QPushButton::clicked, this, Reported([this] { done(mrYes); }));
    connect(Button2, &QPushButton::clicked, this, Reported([this] { done(mrCancel); }));
}

void TForm37::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!FirstShow(this))
        return;
    CentreOnWindow(this, FCentreOn);
    FormShow();
}

void TForm37::FormShow() {
    // The box keeps its own share of the thumbnail; the photo may be freed after the dialog.
    if (Photo)
        ShowFitted(TurboImage2, ThumbnailBox, Photo->Thumbnail);
}
