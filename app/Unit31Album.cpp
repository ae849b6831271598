// The album page of the main window: the mode and filter combos, the command buttons and the
// grid that lists the photos of a dated folder, of a tag or of the favourites.

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QToolButton>

#include "app/FormUtils.h"
#include "app/Unit31.h"
#include "app/Unit32.h"
#include "controls/StringGrid1.h"
#include "platform/KavroApplication.h"
#include "platform/WaitCursor.h"

namespace {

// The page's design width; the icon buttons keep their distance from its right edge.
constexpr int AlbumDesignWidth = 730;
constexpr int AlbumButtonTop = 42;
constexpr int GridTop = 82;
constexpr int NumberColumnWidth = 40;
constexpr int ThumbnailColumnWidth = 140;
constexpr int RowHeight = 140;
// The thumbnail's place inside the rectangle the grid hands to the drawing event.
constexpr int ThumbnailInset = 3;
constexpr int FavouriteMarkPlace = 3;

enum TAlbumMode { FolderMode = 0, TagMode = 1, FavouritesMode = 2 };

template <typename T>
T* ItemObject(const QComboBox* combo, int index) {
    if (index < 0 || index >= combo->count())
        return nullptr;
    return static_cast<T*>(combo->itemData(index).value<void*>());
}

// The mark's white pixels become transparent, so the thumbnail shows around the star.
QImage TransparentWhite(const QImage& picture) {
    QImage result = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            if ((line[x] & 0x00FFFFFF) == 0x00FFFFFF)
                line[x] = 0;
        }
    }
    return result;
}

// The page may not grow narrower than the width at which the buttons kept at its right edge
// would reach the labels and combos on the left (the folder combo counted at its least width).
int NarrowestAlbumWidth(const TForm31& form, int arrangedWidth) {
    constexpr int Gap = 6;
    QRect folderCombo = form.ComboBox2->geometry();
    folderCombo.setWidth(form.ComboBox2->minimumWidth());
    QList<QRect> right;
    for (const QWidget* button : {form.BitBtn5, form.BitBtn9, form.BitBtn1, form.BitBtn2,
                                  form.BitBtn7, form.BitBtn4, form.BitBtn8, form.BitBtn10})
        right.append(button->geometry());
    return NarrowestPageWidth(arrangedWidth,
                              {form.Label3->geometry(), folderCombo, form.ComboBox3->geometry(),
                               form.ComboBox1->geometry()},
                              right, Gap);
}

QString ReadFailureText(const TPhoto& photo) {
    QStringList texts;
    if (photo.ThumbnailState() == TReadState::Failed)
        texts.append(photo.ThumbnailError);
    if (photo.ExifState() == TReadState::Failed)
        texts.append(photo.ExifError);
    return texts.join(u'\n');
}

}  // namespace

void TForm31::CreateAlbumPage() {
    Shape2 = new QFrame(TabSheet2);
    Shape2->setObjectName(QStringLiteral("Shape2"));
    Shape2->setFrameShape(QFrame::NoFrame);
    Shape2->setAutoFillBackground(true);
    QPalette line = Shape2->palette();
    line.setColor(QPalette::Window, Qt::gray);
    Shape2->setPalette(line);
    Shape2->lower();  // the header's buttons reach over the line

    ComboBox3 = new QComboBox(TabSheet2);
    ComboBox3->setObjectName(QStringLiteral("ComboBox3"));
    SetPixelFont(ComboBox3, 19);
    ComboBox3->addItems(
        {QStringLiteral("写真リスト"), QStringLiteral("タグ"), QStringLiteral("お気に入り")});
    ComboBox3->setCurrentIndex(0);
    ComboBox3->setGeometry(3, 46, 145, ComboBox3->sizeHint().height());
    connect(ComboBox3, &QComboBox::activated, this, Reported(this, &TForm31::ComboBox3Change));

    ComboBox1 = new QComboBox(TabSheet2);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    SetPixelFont(ComboBox1, 19);
    ComboBox1->setMaxVisibleItems(12);
    // 174 pixels as designed, or wider where this font needs more for a whole dated caption.
    QStyleOptionComboBox option;
    option.initFrom(ComboBox1);
    const QSize caption = ComboBox1->fontMetrics().size(
        Qt::TextSingleLine, FormatFolderCaption(QStringLiteral("20261231")));
    const int width = ComboBox1->style()
                          ->sizeFromContents(QStyle::CT_ComboBox, &option, caption, ComboBox1)
                          .width();
    ComboBox1->setGeometry(154, 46, std::max(174, width), ComboBox3->height());
    connect(ComboBox1, &QComboBox::activated, this, Reported(this, &TForm31::ComboBox1Change));

    BitBtn2 = CreateIconButton("BitBtn2", QStringLiteral("写真を表示"),
                               QStringLiteral(":/icons/magnifier.png"));
    BitBtn7 = CreateIconButton("BitBtn7", QStringLiteral("お気に入りに設定"),
                               QStringLiteral(":/icons/star_grey.png"));
    BitBtn4 = CreateIconButton("BitBtn4", QStringLiteral("お気に入り解除"),
                               QStringLiteral(":/icons/star_yellow.png"));
    BitBtn8 =
        CreateIconButton("BitBtn8", QStringLiteral("タグ"), QStringLiteral(":/icons/tag.png"));
    BitBtn10 = CreateIconButton("BitBtn10", QStringLiteral("写真を削除"),
                                QStringLiteral(":/icons/delete.png"));
    BitBtn7->hide();
    BitBtn4->hide();

    Image1 = new QLabel(TabSheet2);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(QPixmap(QStringLiteral(":/icons/favourite_mark.png")));
    Image1->setFixedSize(24, 24);
    Image1->hide();
    FFavouriteMark = TransparentWhite(Image1->pixmap().toImage())
                         .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    FNoThumbnail = QImage(QStringLiteral(":/icons/no_thumbnail.png"))
                       .convertToFormat(QImage::Format_ARGB32_Premultiplied);

    StringGrid1 = new TMyStringGrid(TabSheet2);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->SetColCount(3);
    StringGrid1->SetRowCount(1);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setShowGrid(true);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    StringGrid1->SetWordWrap(true);
    StringGrid1->SetColWordWrap(0, false);
    StringGrid1->SetEditing(false);
    SetPixelFont(StringGrid1, 15);
    StringGrid1->SetColWidths(0, NumberColumnWidth);
    StringGrid1->SetColWidths(1, ThumbnailColumnWidth);
    StringGrid1->SetRowHeights(RowHeight);
    StringGrid1->OnDrawCell = [this](QPainter& canvas, int col, int row, const QRect& rect,
                                     const TGridDrawState& state) {
        StringGrid1DrawCell(canvas, col, row, rect, state);
    };
    StringGrid1->OnSelectCell = [this](int col, int row) { StringGrid1SelectCell(col, row); };
    StringGrid1->viewport()->installEventFilter(this);

    PopupActionBar1 = new QMenu(StringGrid1);
    PopupActionBar1->setObjectName(QStringLiteral("PopupActionBar1"));
    N1 = PopupActionBar1->addAction(QStringLiteral("ファイル名をコピー（オリジナル）"));
    N1->setObjectName(QStringLiteral("N1"));
    N2 = PopupActionBar1->addAction(QStringLiteral("ファイル名をコピー（縮小）"));
    N2->setObjectName(QStringLiteral("N2"));
    connect(N1, &QAction::triggered, this, Reported(this, &TForm31::N1Click));
    connect(N2, &QAction::triggered, this, Reported(this, &TForm31::N2Click));
    connect(PopupActionBar1, &QMenu::aboutToShow, this,
            Reported(this, &TForm31::PopupActionBar1Popup));
    StringGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(StringGrid1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        RunReported([&] { PopupActionBar1->popup(StringGrid1->viewport()->mapToGlobal(at)); });
    });

    ArrangeAlbumPage();
    FormResize();
}

void TForm31::ArrangeAlbumPage() {
    if (!StringGrid1)
        return;
    const int width = TabSheet2->width() > 100 ? TabSheet2->width() : AlbumDesignWidth;
    const int shift = width - AlbumDesignWidth;
    const std::pair<QToolButton*, int> buttons[] = {
        {BitBtn2, 575}, {BitBtn7, 613}, {BitBtn4, 613}, {BitBtn8, 651}, {BitBtn10, 689}};
    for (const auto& [button, designLeft] : buttons)
        button->move(designLeft + shift, AlbumButtonTop);
    Shape2->setGeometry(3, 39, std::max(1, width - 3), 1);
    StringGrid1->setGeometry(0, GridTop, width, std::max(1, TabSheet2->height() - GridTop));
    // At the window's smallest size the controls stay apart and one whole row of the grid shows.
    TabSheet2->setMinimumSize(NarrowestAlbumWidth(*this, width),
                              GridTop + RowHeight + 2 * StringGrid1->frameWidth());
}

TPhoto* TForm31::PhotoOfRow(int row) const {
    if (row < 0 || row >= StringGrid1->RowCount())
        return nullptr;
    return static_cast<TPhoto*>(StringGrid1->Objects(row));
}

void TForm31::OpenCurrentDir() {
    Album->OpenCurrentDir();
    ComboBox3->setCurrentIndex(FolderMode);
    ComboBox3Change();
}

void TForm31::ComboBox3Change() {
    CloseViewer();
    const int mode = ComboBox3->currentIndex();
    if (mode == FolderMode || mode == TagMode) {
        ComboBox1->show();
        BitBtn7->show();
        BitBtn4->hide();
        BitBtn8->setVisible(mode == FolderMode);
        if (mode == FolderMode)
            Album->ReloadDatedFolders();
        else
            Album->CollectTags();
        FillFilterCombo();
        if (ComboBox1->count() > 0) {
            const QSignalBlocker blocker(ComboBox1);
            ComboBox1->setCurrentIndex(mode == FolderMode ? ComboBox1->count() - 1 : 0);
        }
        ComboBox1Change();
        return;
    }
    ComboBox1->hide();
    BitBtn7->hide();
    BitBtn4->hide();
    BitBtn8->show();
    ClearGridCells();
    Album->ListFavourites();
    LayoutGrid();
    FillGridCells();
    HideBlankSelection();
}

void TForm31::FillFilterCombo() {
    const QSignalBlocker blocker(ComboBox1);
    ComboBox1->clear();
    switch (ComboBox3->currentIndex()) {
        case FolderMode:
            Album->SortDatedFolders();
            for (TPhotoDir* dir : Album->PhotoDirList())
                ComboBox1->addItem(FormatFolderCaption(dir->Name),
                                   QVariant::fromValue(static_cast<void*>(dir)));
            break;
        case TagMode:
            Album->SortTags();
            for (TTag* tag : Album->TagList())
                ComboBox1->addItem(tag->Name, QVariant::fromValue(static_cast<void*>(tag)));
            break;
        default:
            break;
    }
}

void TForm31::ComboBox1Change() {
    CloseViewer();
    const TWaitCursor hourglass;
    // The rows refer to the photos: they let go before the photos are freed.
    ClearGridCells();
    Album->ClearPhotos();
    const int mode = ComboBox3->currentIndex();
    if (mode == FolderMode)
        Album->ListFolder(ItemObject<TPhotoDir>(ComboBox1, ComboBox1->currentIndex()));
    else if (mode == TagMode)
        Album->ListTag(ItemObject<TTag>(ComboBox1, ComboBox1->currentIndex()));
    LayoutGrid();
    FillGridCells();
    StringGrid1->SetRow(0);
    HideBlankSelection();
    if (mode == FolderMode || mode == TagMode)
        UpdateFavouriteButtons(StringGrid1->Row());
}

void TForm31::ShowImportedFolder(const QString& dateDirName) {
    if (ComboBox3->currentIndex() != FolderMode)
        return;
    FillFilterCombo();
    SelectComboText(FormatFolderCaption(dateDirName), ComboBox1);
    ComboBox1Change();
}

void TForm31::ClearGridCells() {
    StringGrid1->ClearRows();
}

void TForm31::LayoutGrid() {
    ClearGridCells();
    StringGrid1->SetColWidths(0, NumberColumnWidth);
    StringGrid1->SetColWidths(1, ThumbnailColumnWidth);
    StringGrid1->SetRowCount(std::max<int>(1, int(PhotoCount())));
    StringGrid1->SetRowHeights(RowHeight);
}

void TForm31::FillGridCells() {
    StringGrid1->BeginUpdate();
    const TPhotoList& photos = Album->PhotoList();
    const int rows = std::min<int>(int(photos.Count()), StringGrid1->RowCount());
    for (int row = 0; row < rows; ++row) {
        TPhoto* photo = photos[row];
        StringGrid1->SetCells(0, row, QString::number(row + 1));
        StringGrid1->SetCells(1, row, {});
        SetInfoCell(row, *photo);
        StringGrid1->SetObjects(row, photo);
        StringGrid1->SetRowHint(row, ReadFailureText(*photo));
    }
    StringGrid1->EndUpdate();
}

void TForm31::HideBlankSelection() {
    // An empty list keeps its one blank row current, where the commands find no photo; drawn
    // selected it would look like a photo without a name.
    if (PhotoCount() == 0)
        StringGrid1->clearSelection();
}

void TForm31::RefreshGridCells() {
    FillGridCells();
}

void TForm31::StringGrid1DrawCell(QPainter& canvas, int col, int row, const QRect& rect,
                                  const TGridDrawState& state) {
    Q_UNUSED(state);
    TPhoto* photo = PhotoOfRow(row);
    if (!photo)
        return;
    // A read that fails is kept in the photo and shown in the row: a message box raised from
    // inside a paint would repaint the grid beneath it and fail again, box after box.
    if (col == 2 && photo->NeedsExif()) {
        ReadExifOfRow(row, *photo);
    } else if (col == 1) {
        if (photo->NeedsThumbnail()) {
            try {
                photo->LoadThumbnail();
            } catch (const std::exception&) {
                ShowReadFailure(row, *photo);
            }
        }
        DrawThumbnail(canvas, rect, *photo);
    }
}

void TForm31::ReadExifOfRow(int row, TPhoto& photo) {
    try {
        photo.ReadExif();
    } catch (const std::exception&) {
        ShowReadFailure(row, photo);
    }
    SetInfoCell(row, photo);
}

void TForm31::SetInfoCell(int row, const TPhoto& photo) {
    // The grid takes '&' for a mnemonic mark, but a photo's names and tags are the user's own
    // text: each '&' reaches the grid doubled, so "A&B.jpg" is drawn as "A&B.jpg".
    StringGrid1->SetCells(2, row, photo.InfoText().replace(u'&', QStringLiteral("&&")));
}

void TForm31::ReadRowsInView(const QRect& area) {
    // The dates go into the text before the grid draws it: the first paint of a row shows them,
    // and its text is laid out once rather than once without them and once more with them.
    const int first = StringGrid1->rowAt(area.top());
    if (first < 0)
        return;
    int last = StringGrid1->rowAt(area.bottom());
    if (last < 0)
        last = StringGrid1->RowCount() - 1;
    for (int row = first; row <= last; ++row) {
        if (TPhoto* photo = PhotoOfRow(row); photo && photo->NeedsExif())
            ReadExifOfRow(row, *photo);
    }
}

void TForm31::ShowReadFailure(int row, const TPhoto& photo) {
    StringGrid1->SetRowHint(row, ReadFailureText(photo));
}

void TForm31::DrawThumbnail(QPainter& canvas, const QRect& rect, const TPhoto& photo) const {
    QImage picture;
    QPoint place = rect.topLeft() + QPoint(ThumbnailInset, ThumbnailInset);
    if (photo.ThumbnailState() == TReadState::Failed) {
        picture = FNoThumbnail;
        place += QPoint((130 - picture.width()) / 2, (130 - picture.height()) / 2);
    } else if (photo.ThumbnailLoaded) {
        // In the screen's own form the picture is copied as it is; drawn from 24-bit rows the
        // painter would convert it again at every paint.
        picture = photo.Thumbnail.ToImage().convertToFormat(QImage::Format_RGB32);
    }
    if (picture.isNull())
        return;
    if (photo.Favourite) {
        // The mark goes onto a copy: the photo's own thumbnail stays as it was read.
        if (picture.format() != QImage::Format_RGB32)
            picture = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        else
            picture.detach();
        QPainter painter(&picture);
        painter.drawImage(FavouriteMarkPlace, FavouriteMarkPlace, FFavouriteMark);
    }
    canvas.drawImage(place, picture);
}

void TForm31::StringGrid1SelectCell(int col, int row) {
    Q_UNUSED(col);
    TPhoto* photo = PhotoOfRow(row);
    if (row < 0 || Album->PhotoList().IsEmpty() || !photo)
        return;
    if (Form32 && Form32->isVisible()) {
        // The selection moves inside the grid's own handling: a photo that cannot be shown is
        // reported here, and the viewer keeps its picture.
        try {
            Form32->ShowPhoto(photo);
        } catch (const std::exception& error) {
            ReportError(error);
        }
    }
    UpdateFavouriteButtons(row);
}

void TForm31::StringGrid1MouseDown(Qt::MouseButton button, const QPoint& position) {
    if (button != Qt::RightButton)
        return;
    const int row = StringGrid1->RowAt(position);
    if (row >= 0)
        StringGrid1->SetRow(row);
}

void TForm31::UpdateFavouriteButtons(int row) {
    const int mode = ComboBox3->currentIndex();
    if (mode == FavouritesMode) {
        BitBtn7->hide();
        BitBtn4->hide();
        return;
    }
    BitBtn7->show();
    BitBtn4->hide();
    const TPhoto* photo = PhotoOfRow(row);
    if (row >= 0 && !Album->PhotoList().IsEmpty() && photo) {
        BitBtn7->setVisible(!photo->Favourite);
        BitBtn4->setVisible(photo->Favourite);
    }
}

void TForm31::StringGrid1DblClick() {
    const int row = StringGrid1->Row();
    TPhoto* photo = PhotoOfRow(row);
    if (row < 0 || Album->PhotoList().IsEmpty() || !photo || !Form32)
        return;
    Form32->ShowPhoto(photo);
    Form32->show();
    Form32->raise();
    Form32->activateWindow();
}

void TForm31::PopupActionBar1Popup() {
    const int row = StringGrid1->Row();
    const TPhoto* photo = PhotoOfRow(row);
    const bool onPhoto = row >= 0 && !Album->PhotoList().IsEmpty() && photo;
    N2->setEnabled(onPhoto);
    N1->setEnabled(onPhoto && FileExists(photo->DirPath + photo->FileName));
}

void TForm31::N1Click() {
    if (const TPhoto* photo = PhotoOfRow(StringGrid1->Row()))
        QGuiApplication::clipboard()->setText(photo->DirPath + photo->FileName);
}

void TForm31::N2Click() {
    if (const TPhoto* photo = PhotoOfRow(StringGrid1->Row()))
        QGuiApplication::clipboard()->setText(photo->ReducedDir() + photo->FileName);
}

qsizetype TForm31::PhotoCount() const {
    return Album->PhotoList().Count();
}

TPhoto* TForm31::GetCurrentPhoto() {
    return PhotoOfRow(StringGrid1->Row());
}

TPhoto* TForm31::SelectPreviousPhoto() {
    const int row = StringGrid1->Row();
    if (row <= 0)
        return nullptr;
    StringGrid1->SetRow(row - 1);
    return PhotoOfRow(row - 1);
}

TPhoto* TForm31::SelectNextPhoto() {
    const int row = StringGrid1->Row();
    if (row < 0 || row >= StringGrid1->RowCount() - 1)
        return nullptr;
    StringGrid1->SetRow(row + 1);
    return PhotoOfRow(row + 1);
}
