// The photo commands of the album page: view, favourite on and off, tags and delete. Every
// change is written at once to the open folder's "okini.xml" or "tag.xml", and the grid is
// brought up to date without rebuilding the list.

#include <QComboBox>
#include <QToolButton>

#include "app/Unit31.h"
#include "app/Unit32.h"
#include "app/Unit37.h"
#include "app/Unit38.h"
#include "controls/StringGrid1.h"
#include "platform/Dialogs.h"
#include "platform/KavroApplication.h"

namespace {

const QString OkiniFile = QStringLiteral("okini.xml");
const QString TagFile = QStringLiteral("tag.xml");

}  // namespace

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
    return !PhotoList->IsEmpty();
}

void TForm31::BitBtn2Click() {
    if (PhotoChosen(QStringLiteral("一覧から表示する写真を選択してください。")))
        StringGrid1DblClick();
}

void TForm31::BitBtnClick(QObject* sender) {
    const int row = StringGrid1->Row();
    TPhoto* photo = PhotoOfRow(row);
    if (ComboBox1->currentIndex() < 0 || row < 0 || PhotoList->IsEmpty() || !photo)
        return;
    if (sender == BitBtn7) {
        BitBtn7->hide();
        BitBtn4->show();
        photo->Favourite = true;
        PhotoOkiniList->Add(photo->Folder, photo->FileName);
    } else if (sender == BitBtn4) {
        BitBtn7->show();
        BitBtn4->hide();
        photo->Favourite = false;
        PhotoOkiniList->Remove(photo->Folder, photo->FileName);
    } else {
        return;
    }
    PhotoOkiniList->SaveToFile(CurrentDir + OkiniFile);
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
    PhotoTagList->CollectTags(*TagList);
    {
        TForm38 dialog(this, this);
        dialog.Photo = photo;
        dialog.TagList = TagList.get();
        if (Dialogs::ExecModal(dialog) != TForm38::mrOk)
            return;
    }
    if (TPhotoTag* entry = PhotoTagList->Find(photo->Folder, photo->FileName))
        entry->Tags = photo->Tags;
    else
        PhotoTagList->Add(photo->Folder, photo->FileName, photo->Tags);
    PhotoTagList->SaveToFile(CurrentDir + TagFile);
    StringGrid1->SetCells(2, row, photo->InfoText());
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

// The stores are written before the files go, so that no entry outlives its photo. When the
// photo's reduced copy cannot be removed the photo is still there: its entries are put back
// (at the end of each store) and the error is raised, so that neither its mark nor its tags are
// lost.
void TForm31::DeletePhoto(TPhoto* photo) {
    const bool wasFavourite = PhotoOkiniList->Contains(photo->Folder, photo->FileName);
    if (wasFavourite) {
        PhotoOkiniList->Remove(photo->Folder, photo->FileName);
        PhotoOkiniList->SaveToFile(CurrentDir + OkiniFile);
    }
    const TPhotoTag* tagEntry = PhotoTagList->Find(photo->Folder, photo->FileName);
    const bool hadTags = tagEntry != nullptr;
    const QString tags = hadTags ? tagEntry->Tags : QString();
    if (hadTags) {
        PhotoTagList->Remove(photo->Folder, photo->FileName);
        PhotoTagList->SaveToFile(CurrentDir + TagFile);
    }

    const TPhotoFilesRemoval removal = RemovePhotoFiles(*photo);
    if (!removal.Removed) {
        if (wasFavourite) {
            PhotoOkiniList->Add(photo->Folder, photo->FileName);
            PhotoOkiniList->SaveToFile(CurrentDir + OkiniFile);
        }
        if (hadTags) {
            PhotoTagList->Add(photo->Folder, photo->FileName, tags);
            PhotoTagList->SaveToFile(CurrentDir + TagFile);
        }
        std::rethrow_exception(removal.Failure);
    }

    // The viewer may still name the photo while hidden; it must not outlive the record.
    if (Form32 && Form32->CurrentPhoto == photo)
        Form32->CurrentPhoto = nullptr;
    // LayoutGrid clears every row's reference before the row count changes, so no selection
    // handler meets the freed photo.
    PhotoList->Remove(photo);
    LayoutGrid();
    FillGridCells();
    // The selection may have moved while the rows were empty, which left the star buttons
    // showing the deleted photo's mark; the viewer's delete needs them right as well.
    UpdateFavouriteButtons(StringGrid1->Row());
    if (removal.Failure) {
        // The photo is gone; only its emptied dated folder stayed. Told once, and the delete
        // stands.
        try {
            std::rethrow_exception(removal.Failure);
        } catch (const std::exception& error) {
            ReportError(error);
        }
    }
}
