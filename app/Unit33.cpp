#include "app/Unit33.h"

#include <QApplication>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include "app/FormUtils.h"
#include "controls/SujiEdit.h"
#include "model/KavroUtils.h"
#include "platform/Dialogs.h"
#include "platform/KavroApplication.h"

namespace {

constexpr int GridLeft = 12;
constexpr int GridTop = 30;
constexpr int GridColumnWidth = 401;
constexpr int GridWidth = 424;  // the column, the frame and a vertical scroll bar
constexpr int GridHeight = 180;
constexpr int ButtonLeft = GridLeft + GridWidth + 8;
constexpr int ButtonWidth = 48;
constexpr int ButtonHeight = 25;
constexpr int SizeRowTop = 268;
constexpr int SizeBoxWidth = 60;
constexpr int SizeBoxHeight = 24;
constexpr int MinReduceSize = 100;
constexpr int MaxReduceSize = 1000;

QFrame* NewGreyLine(QWidget* parent, const char* name, int top) {
    auto* line = new QFrame(parent);
    line->setObjectName(QString::fromLatin1(name));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    QPalette grey = line->palette();
    grey.setColor(QPalette::WindowText, Qt::gray);
    line->setPalette(grey);
    line->setGeometry(GridLeft, top, 500 - 2 * GridLeft, 1);
    return line;
}

// Places a label right of the previous control, its text centred on the size boxes' row.
QLabel* NewRowLabel(QWidget* parent, const char* name, const QString& caption, int left) {
    QLabel* label = NewLabel(parent, name, caption, {left, 0});
    label->move(left, SizeRowTop + (SizeBoxHeight - label->height()) / 2);
    return label;
}

}  // namespace

TForm33::TForm33(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form33"));
    setWindowTitle(QStringLiteral("設定"));
    UseTextFamily(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(500, 369);
    CreateFolderControls();
    CreateSizeControls();

    Button3 = NewButton(this, "Button3", QStringLiteral("閉じる"), QRect(400, 332, 88, 27));
    connect(Button3, &QPushButton::clicked, this, Reported(this, &TForm33::Button3Click));

    QWidget::setTabOrder(Sujiin2, Sujiin3);
    QWidget::setTabOrder(Sujiin3, Button3);
    QWidget::setTabOrder(Button3, Button2);
    QWidget::setTabOrder(Button2, Button1);
    QWidget::setTabOrder(Button1, StringGrid1);
    QWidget::setTabOrder(StringGrid1, Button4);
    QWidget::setTabOrder(Button4, Button5);
}

void TForm33::CreateFolderControls() {
    Label1 = NewLabel(this, "Label1", QStringLiteral("取り込み先フォルダ"), {GridLeft, 10});

    StringGrid1 = new QTableWidget(this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setGeometry(GridLeft, GridTop, GridWidth, GridHeight);
    StringGrid1->setColumnCount(1);
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    StringGrid1->setColumnWidth(0, GridColumnWidth);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setWordWrap(false);
    SetPixelFont(StringGrid1, 15);
    StringGrid1->verticalHeader()->setDefaultSectionSize(22);

    Button4 = NewButton(this, "Button4", QStringLiteral("追加"),
                        QRect(ButtonLeft, GridTop, ButtonWidth, ButtonHeight));
    Button4->setToolTip(QStringLiteral("リストに追加"));
    Button5 = NewButton(this, "Button5", QStringLiteral("削除"),
                        QRect(ButtonLeft, GridTop + ButtonHeight + 6, ButtonWidth, ButtonHeight));
    Button5->setToolTip(QStringLiteral("リストから削除"));
    const int bottom = GridTop + GridHeight;
    Button2 =
        NewButton(this, "Button2", QStringLiteral("▲"),
                  QRect(ButtonLeft, bottom - 2 * ButtonHeight - 6, ButtonWidth, ButtonHeight));
    Button1 = NewButton(this, "Button1", QStringLiteral("▼"),
                        QRect(ButtonLeft, bottom - ButtonHeight, ButtonWidth, ButtonHeight));
    connect(Button4, &QPushButton::clicked, this, Reported(this, &TForm33::Button4Click));
    connect(Button5, &QPushButton::clicked, this, Reported(this, &TForm33::Button5Click));
    connect(Button2, &QPushButton::clicked, this, Reported(this, &TForm33::Button2Click));
    connect(Button1, &QPushButton::clicked, this, Reported(this, &TForm33::Button1Click));
}

void TForm33::CreateSizeControls() {
    Shape1 = NewGreyLine(this, "Shape1", GridTop + GridHeight + 14);
    Label3 =
        NewLabel(this, "Label3", QStringLiteral("指定のピクセル内に縮小する"), {GridLeft, 238});

    Label6 = NewRowLabel(this, "Label6", QStringLiteral("（幅）"), GridLeft + 12);
    Sujiin2 = NewSizeBox(
        "Sujiin2", QRect(Label6->geometry().right() + 4, SizeRowTop, SizeBoxWidth, SizeBoxHeight));
    Label4 = NewRowLabel(this, "Label4", QStringLiteral("×"), Sujiin2->geometry().right() + 8);
    Label7 =
        NewRowLabel(this, "Label7", QStringLiteral("（高さ）"), Label4->geometry().right() + 8);
    Sujiin3 = NewSizeBox(
        "Sujiin3", QRect(Label7->geometry().right() + 4, SizeRowTop, SizeBoxWidth, SizeBoxHeight));
    Label5 = NewRowLabel(this, "Label5", QStringLiteral("（100～1000）"),
                         Sujiin3->geometry().right() + 8);
    Shape2 = NewGreyLine(this, "Shape2", SizeRowTop + SizeBoxHeight + 24);
}

Sujiin* TForm33::NewSizeBox(const char* name, const QRect& geometry) {
    auto* box = new Sujiin(this);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(geometry);
    box->SetAlignment(Sujiin::TAlignment::RightJustify);
    box->SetNumOnly(true);
    box->SetMaxLength2(4);
    box->SetImeMode(Sujiin::TImeMode::Close);
    // The window colour: the box does not visibly change while it has the focus.
    box->SetEnterColor(QApplication::palette(box).color(QPalette::Base));
    SetPixelFont(box, 16);
    return box;
}

void TForm33::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!FirstShow(this))
        return;
    CentreOnParent(this);
    FormShow();
}

void TForm33::FormShow() {
    Sujiin2->setText(PhotoSetting->ReduceWidth);
    Sujiin3->setText(PhotoSetting->ReduceHeight);
    FillDirGrid();
    if (StringGrid1->currentRow() < 0)
        StringGrid1->setCurrentCell(0, 0);
    Sujiin2->setFocus(Qt::TabFocusReason);
}

void TForm33::FillDirGrid() {
    const int selected = StringGrid1->currentRow();
    SaveDirList->Sort(CompareSaveDirOrder);
    const int rows = int(std::max<qsizetype>(SaveDirList->Count(), 1));
    StringGrid1->setRowCount(rows);
    for (int row = 0; row < rows; ++row) {
        TPhotoSaveDir* entry = row < SaveDirList->Count() ? SaveDirList->Items(row) : nullptr;
        auto* cell = new QTableWidgetItem(entry ? entry->Path : QString());
        cell->setData(Qt::UserRole, QVariant::fromValue(static_cast<void*>(entry)));
        // The blank row of an empty list stays current, so that the buttons still act on it,
        // but it is never drawn selected: a highlighted blank looks like a folder without a name.
        if (!entry)
            cell->setFlags(cell->flags() & ~Qt::ItemIsSelectable);
        StringGrid1->setItem(row, 0, cell);
    }
    // The selection stays on its row, or on the last row when the list grew shorter.
    if (selected >= 0)
        StringGrid1->setCurrentCell(std::min(selected, rows - 1), 0);
}

void TForm33::Button4Click() {
    Dialogs::TFolderRequest request;
    request.Title = QStringLiteral("取り込んだ写真の保存先フォルダを指定してください。");
    const QString folder = Dialogs::ChooseFolder(request);
    if (folder.isEmpty())
        return;
    auto entry = std::make_unique<TPhotoSaveDir>();
    entry->Path = folder;
    entry->Order = qint32(SaveDirList->Count() + 1);
    SaveDirList->Add(std::move(entry));
    SaveDirList->Save();
    FillDirGrid();
}

void TForm33::Button5Click() {
    if (!Dialogs::Confirm(QStringLiteral("選択中の保存先をリストから削除します。\r\n"
                                         "（写真などは削除されません）\r\n"
                                         "削除してもよろしいですか？"))) {
        return;
    }
    if (const QTableWidgetItem* cell = StringGrid1->item(StringGrid1->currentRow(), 0)) {
        SaveDirList->Remove(static_cast<TPhotoSaveDir*>(cell->data(Qt::UserRole).value<void*>()));
    }
    SaveDirList->Renumber();
    SaveDirList->Save();
    FillDirGrid();
}

void TForm33::Button2Click() {
    MoveSelected(-1);
}

void TForm33::Button1Click() {
    MoveSelected(+1);
}

void TForm33::MoveSelected(int step) {
    const int row = StringGrid1->currentRow();
    const int target = row + step;
    if (row < 0 || target < 0 || target >= StringGrid1->rowCount() ||
        target >= SaveDirList->Count()) {
        return;
    }
    SaveDirList->Exchange(row, target);
    SaveDirList->Renumber();
    // Written like an addition or a removal, so that the new order outlives this run.
    SaveDirList->Save();
    FillDirGrid();
    StringGrid1->setCurrentCell(target, 0);
}

void TForm33::Button3Click() {
    close();
}

void TForm33::reject() {
    if (FormCloseQuery())
        QDialog::reject();
}

bool TForm33::FormCloseQuery() {
    if (!CheckSize(Sujiin2, QStringLiteral("幅は100～1000の範囲で設定してください。")))
        return false;
    if (!CheckSize(Sujiin3, QStringLiteral("高さは100～1000の範囲で設定してください。")))
        return false;
    PhotoSetting->ReduceWidth = Sujiin2->text();
    PhotoSetting->ReduceHeight = Sujiin3->text();
    try {
        PhotoSetting->Save();
    } catch (const std::exception& error) {
        // The first failure keeps the dialog open, so the user can read the message and perhaps
        // make the file writable. After that the dialog lets itself be closed: the sizes hold
        // for this run, and the user knows they were not kept.
        if (FSaveFailureShown)
            return true;
        FSaveFailureShown = true;
        ReportError(error);
        return false;
    }
    return true;
}

bool TForm33::CheckSize(Sujiin* box, const QString& message) {
    if (IsReduceSizeInRange(ReduceSizeInput(box->text())))
        return true;
    Dialogs::ShowMessage(message);
    box->setFocus(Qt::OtherFocusReason);
    return false;
}

int ReduceSizeInput(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : 0;
}

bool IsReduceSizeInRange(int value) {
    return value >= MinReduceSize && value <= MaxReduceSize;
}
