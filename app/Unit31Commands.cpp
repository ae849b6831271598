// The photo commands of the album page: view, favourite on and off, tags and delete. The album
// (TAlbum) makes each change and writes its store at once; the page brings the grid up to date
// without rebuilding the list.

#include <QComboBox>
#include <QToolButton>

#include "app/Unit31.h"
#include "app/Unit32.h"
#include "app/Unit37.h"
#include "app/Unit38.h"
#include "controls/StringGrid1.h"
#include "platform/Dialogs.h"
#include "platform/KavroApplication.h"

void TForm31::ConnectPhotoCommands() {
    connect(BitBtn2, &QToolButton::clicked, this, Reported(this, &TForm31::BitBtn2Click));
    connect(BitBtn7, &QToolButton::clicked, this, Reported([this] { BitBtnClick(BitBtn7); }));
    connect(BitBtn4, &QToolButton::clicked, this, Reported([this] { BitBtnClick(BitBtn4); }));
    connect(BitBtn8, &QToolButton::clicked, this, Reported(this, &TForm31::BitBtn8Click));
    connect(BitBtn10, &QToolButton::clicked, this, Reported(this, &TForm31::BitBtn10Click));
}

bool TForm31::PhotoChosen(const QString& message) {
    if (StringGrid1->Row() < 0) {
        Dialogs::ShowMessage(message);
        StringGrid1->setFocus();
        return false;
    }
    return !Album->PhotoList().IsEmpty();
}

void TForm31::BitBtn2Click() {
    if (PhotoChosen(QStringLiteral("一覧から表示する写真を選択してください。")))
        StringGrid1DblClick();
}

void TForm31::BitBtnClick(QObject* sender) {
    const int row = StringGrid1->Row();
    TPhoto* photo = PhotoOfRow(row);
    if (ComboBox1->currentIndex() < 0 || row < 0 || Album->PhotoList().IsEmpty() || !photo)
        return;
    if (sender != BitBtn7 && sender != BitBtn4)
        return;
    // The buttons show the record, which shows the store: a refused mark leaves all three.
    Album->SetFavourite(*photo, sender == BitBtn7);
    UpdateFavouriteButtons(row);
    StringGrid1->viewport()->update();
}

void TForm31::BitBtn8Click() {
    CloseViewer();
    if (!PhotoChosen(QStringLiteral("一覧から写真を選択してください。")))
        return;
    const int row = StringGrid1->Row();
    TPhoto* photo = PhotoOfRow(row);
    if (!photo)
        return;
    Album->CollectTags();
    QString tags;
    {
        TForm38 dialog(this, this);
        dialog.Photo = photo;
        dialog.TagList = &Album->TagList();
        if (Dialogs::ExecModal(dialog) != TForm38::mrOk)
            return;
        tags = dialog.TagText;
    }
    // The store takes the text first; the photo and its row show it once the store holds it.
    Album->SetTags(*photo, tags);
    SetInfoCell(row, *photo);
}

void TForm31::BitBtn10Click() {
    CloseViewer();
    if (!PhotoChosen(QStringLiteral("一覧から削除する写真を選択してください。")))
        return;
    TPhoto* photo = PhotoOfRow(StringGrid1->Row());
    if (!photo)
        return;
    {
        TForm37 dialog(this, this);
        dialog.Photo = photo;
        if (Dialogs::ExecModal(dialog) != TForm37::mrYes)
            return;
    }
    DeletePhoto(photo);
    StringGrid1->setFocus();
    UpdateFavouriteButtons(StringGrid1->Row());
}

void TForm31::DeletePhoto(TPhoto* photo) {
    // A photo that could not be deleted raises here and stays in the list and the grid.
    const std::exception_ptr leftOver = Album->DeletePhoto(photo);
    // The viewer may still name the photo while hidden; it must not outlive the record. The
    // record is freed already, so its address is only compared.
    if (Form32 && Album->PhotoList().IndexOf(Form32->CurrentPhoto) < 0)
        Form32->CurrentPhoto = nullptr;
    // LayoutGrid clears every row's reference before the row count changes, so no selection
    // handler meets the freed photo.
    LayoutGrid();
    FillGridCells();
    HideBlankSelection();
    // The selection may have moved while the rows were empty, which left the star buttons
    // showing the deleted photo's mark; the viewer's delete needs them right as well.
    UpdateFavouriteButtons(StringGrid1->Row());
    if (leftOver) {
        // The photo is gone; only its emptied dated folder stayed. Told once, and the delete
        // stands.
        try {
            std::rethrow_exception(leftOver);
        } catch (const std::exception& error) {
            ReportError(error);
        }
    }
}
