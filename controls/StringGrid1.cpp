#include "controls/StringGrid1.h"

#include <QAbstractTableModel>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <functional>
#include <limits>
#include <vector>

#include "platform/KavroApplication.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace {

// A text with its mnemonic marks taken out.
struct TPlainText {
    QString Text;
    QList<int> Underlined;
};

TPlainText StripMnemonics(QStringView text) {
    TPlainText result;
    result.Text.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'&') {
            result.Text.append(text[i]);
        } else if (i + 1 < text.size() && text[i + 1] == u'&') {
            result.Text.append(u'&');
            ++i;
        } else if (i + 1 < text.size()) {
            // The "&" itself is not drawn; the character after it is underlined.
            result.Underlined.append(int(result.Text.size()));
        }
    }
    return result;
}

// The paragraphs of a text: CR LF, a lone CR and a lone LF each end one.
QList<QStringView> Paragraphs(QStringView text) {
    QList<QStringView> result;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n')
            continue;
        result.append(text.mid(start, i - start));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    result.append(text.mid(start));
    return result;
}

// A cell text as one paragraph of lines: its line breaks become line separators and its
// mnemonic marks are taken out, paragraph by paragraph, so that a mark never reaches across a
// line break.
TPlainText JoinParagraphs(QStringView text) {
    TPlainText joined;
    joined.Text.reserve(text.size());
    bool first = true;
    for (const QStringView paragraph : Paragraphs(text)) {
        if (!first)
            joined.Text.append(QChar::LineSeparator);
        first = false;
        const TPlainText plain = StripMnemonics(paragraph);
        const int offset = int(joined.Text.size());
        for (const int position : plain.Underlined)
            joined.Underlined.append(offset + position);
        joined.Text.append(plain.Text);
    }
    return joined;
}

// Lays out a cell text with the platform's line breaking, in one layout as QPainter::drawText
// does, and hands each line that fits the area to the visitor, with the layout's line
// (mnemonics underlined) to draw it.
using TLineVisitor = std::function<void(const TCellTextLine& line, const QTextLine& textLine)>;

void VisitCellLines(const QString& text, const QFont& font, int width, int height, bool wordWrap,
                    const TLineVisitor& visit) {
    const int lineHeight = QFontMetrics(font).height();
    const TPlainText plain = JoinParagraphs(text);
    QTextOption option;
    option.setWrapMode(wordWrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    QTextLayout layout(plain.Text, font);
    layout.setTextOption(option);
    QList<QTextLayout::FormatRange> formats;
    for (const int position : plain.Underlined) {
        QTextLayout::FormatRange range;
        range.start = position;
        range.length = 1;
        range.format.setFontUnderline(true);
        formats.append(range);
    }
    layout.setFormats(formats);
    layout.beginLayout();
    int top = 0;
    for (QTextLine textLine = layout.createLine(); textLine.isValid();
         textLine = layout.createLine()) {
        textLine.setLineWidth(wordWrap ? std::max(width, 1) : std::numeric_limits<int>::max() / 4);
        textLine.setPosition(QPointF(0, 0));
        if (top + lineHeight > height)
            break;
        TCellTextLine line;
        const int start = textLine.textStart();
        // The blanks at which a line was broken, and its line separator, are not drawn.
        line.Text = plain.Text.mid(start, textLine.textLength());
        while (!line.Text.isEmpty() && line.Text.back().isSpace())
            line.Text.chop(1);
        for (const int position : plain.Underlined) {
            if (position >= start && position - start < line.Text.size())
                line.Underlined.append(position - start);
        }
        line.Top = top;
        visit(line, textLine);
        top += lineHeight;
    }
    layout.endLayout();
}

// Qt's vector drawing routines (fills, image blends) may leave the upper halves of the processor's
// vector registers in use, and its text blending, written for the older instruction set, then
// runs at a fraction of its speed until something clears them: measured, a cell text drawn right
// after a fill took three times as long as one drawn after another text. Clearing them before a
// text costs one instruction.
#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("avx"))) void ZeroUpperVectorHalves() {
    _mm256_zeroupper();
}

void ClearVectorState() {
    static const bool hasAvx = __builtin_cpu_supports("avx");
    if (hasAvx)
        ZeroUpperVectorHalves();
}
#else
void ClearVectorState() {}
#endif

// Keeps DefaultDrawing off while a cell is drawn, and restores it on every path out.
class TDefaultDrawingOff {
public:
    explicit TDefaultDrawingOff(TMyStringGrid& grid) : FGrid(grid), FWas(grid.DefaultDrawing()) {
        FGrid.SetDefaultDrawing(false);
    }
    ~TDefaultDrawingOff() { FGrid.SetDefaultDrawing(FWas); }
    TDefaultDrawingOff(const TDefaultDrawingOff&) = delete;
    TDefaultDrawingOff& operator=(const TDefaultDrawingOff&) = delete;
    bool Was() const { return FWas; }

private:
    TMyStringGrid& FGrid;
    bool FWas;
};

}  // namespace

QList<TCellTextLine> LayoutCellText(const QString& text, const QFont& font, int width, int height,
                                    bool wordWrap) {
    QList<TCellTextLine> lines;
    VisitCellLines(text, font, width, height, wordWrap,
                   [&](const TCellTextLine& line, const QTextLine&) { lines.append(line); });
    return lines;
}

void DrawCellText(QPainter& painter, const QRect& area, const QString& text, bool wordWrap) {
    if (text.isEmpty() || area.width() <= 0 || area.height() <= 0)
        return;
    ClearVectorState();
    painter.save();
    painter.setClipRect(area, Qt::IntersectClip);
    VisitCellLines(text, painter.font(), area.width(), area.height(), wordWrap,
                   [&](const TCellTextLine& line, const QTextLine& textLine) {
                       textLine.draw(&painter, QPointF(area.left(), area.top() + line.Top));
                   });
    painter.restore();
}

// The grid's cells: one text per cell, one reference and one hint per row.
class TStringGridModel : public QAbstractTableModel {
public:
    explicit TStringGridModel(QObject* parent) : QAbstractTableModel(parent) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : FRowCount;
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(FColumns.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid())
            return {};
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return Cell(index.column(), index.row());
        if (role == Qt::ToolTipRole && !FHints[size_t(index.row())].isEmpty())
            return FHints[size_t(index.row())];
        return {};
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (!index.isValid() || role != Qt::EditRole)
            return false;
        SetCell(index.column(), index.row(), value.toString());
        return true;
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags result = QAbstractTableModel::flags(index);
        if (Editable)
            result |= Qt::ItemIsEditable;
        return result;
    }

    QString Cell(int col, int row) const { return FColumns[size_t(col)][size_t(row)]; }
    void SetCell(int col, int row, const QString& text) {
        QString& cell = FColumns[size_t(col)][size_t(row)];
        if (cell == text)
            return;
        cell = text;
        if (FUpdating == 0) {
            const QModelIndex changed = index(row, col);
            emit dataChanged(changed, changed);
        }
    }
    void* Object(int row) const { return FObjects[size_t(row)]; }
    void SetObject(int row, void* object) { FObjects[size_t(row)] = object; }
    QString Hint(int row) const { return FHints[size_t(row)]; }
    void SetHint(int row, const QString& hint) { FHints[size_t(row)] = hint; }

    // Empties every cell, reference and hint, keeping the rows.
    void ClearRows() {
        for (auto& column : FColumns)
            std::fill(column.begin(), column.end(), QString());
        std::fill(FObjects.begin(), FObjects.end(), nullptr);
        std::fill(FHints.begin(), FHints.end(), QString());
        if (FUpdating == 0 && FRowCount > 0 && !FColumns.empty())
            emit dataChanged(index(0, 0), index(FRowCount - 1, int(FColumns.size()) - 1));
    }

    void SetRowCount(int count) {
        count = std::max(count, 0);
        if (count == FRowCount)
            return;
        if (count > FRowCount) {
            beginInsertRows({}, FRowCount, count - 1);
            Resize(count);
            endInsertRows();
        } else {
            beginRemoveRows({}, count, FRowCount - 1);
            Resize(count);
            endRemoveRows();
        }
    }
    void SetColCount(int count) {
        count = std::max(count, 0);
        const int old = int(FColumns.size());
        if (count == old)
            return;
        if (count > old) {
            beginInsertColumns({}, old, count - 1);
            FColumns.resize(size_t(count), std::vector<QString>(size_t(FRowCount)));
            endInsertColumns();
        } else {
            beginRemoveColumns({}, count, old - 1);
            FColumns.resize(size_t(count));
            endRemoveColumns();
        }
    }

    void BeginUpdate() { ++FUpdating; }
    void EndUpdate() {
        if (FUpdating > 0 && --FUpdating == 0 && FRowCount > 0 && !FColumns.empty())
            emit dataChanged(index(0, 0), index(FRowCount - 1, int(FColumns.size()) - 1));
    }

    bool Editable = false;

private:
    void Resize(int count) {
        FRowCount = count;
        for (auto& column : FColumns)
            column.resize(size_t(count));
        FObjects.resize(size_t(count), nullptr);
        FHints.resize(size_t(count));
    }

    int FRowCount = 0;
    std::vector<std::vector<QString>> FColumns;
    std::vector<void*> FObjects;
    std::vector<QString> FHints;
    int FUpdating = 0;
};

// Hands the drawing of every cell to the grid and makes the multi-line editor.
class TStringGridDelegate : public QStyledItemDelegate {
public:
    explicit TStringGridDelegate(TMyStringGrid* grid) : QStyledItemDelegate(grid), FGrid(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        TGridDrawState state;
        state.Selected = option.state.testFlag(QStyle::State_Selected);
        state.Focused = option.state.testFlag(QStyle::State_HasFocus);
        FGrid->DrawCell(*painter, index.column(), index.row(), option.rect, state);
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        auto* editor = new TMLInplaceEdit(parent, FGrid);
        FGrid->FEditor = editor;
        return editor;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* edit = static_cast<TMLInplaceEdit*>(editor);
        edit->setPlainText(index.data(Qt::EditRole).toString());
        edit->Deselect();
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        model->setData(index, static_cast<TMLInplaceEdit*>(editor)->toPlainText(), Qt::EditRole);
    }

private:
    TMyStringGrid* FGrid;
};

TMLInplaceEdit::TMLInplaceEdit(QWidget* parent, TMyStringGrid* grid)
    : QPlainTextEdit(parent), FGrid(grid) {
    setObjectName(QStringLiteral("TMLInplaceEdit"));
    // Scrolls along with the caret in both directions instead of wrapping or showing bars.
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
}

void TMLInplaceEdit::Deselect() {
    QTextCursor cursor = textCursor();
    cursor.movePosition(QTextCursor::End);
    setTextCursor(cursor);
}

void TMLInplaceEdit::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    const bool arrow =
        key == Qt::Key_Left || key == Qt::Key_Up || key == Qt::Key_Right || key == Qt::Key_Down;
    if (enter && modifiers == Qt::ControlModifier) {
        FGrid->AcceptEditor();
        event->accept();
        return;
    }
    if (enter) {
        // Whatever the modifiers, Enter puts a plain line break into the cell text.
        insertPlainText(QStringLiteral("\n"));
        event->accept();
        return;
    }
    if (arrow && modifiers == Qt::ControlModifier) {
        FGrid->MoveFromEditor(key);
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
    if (arrow && modifiers == Qt::NoModifier) {
        // At the edge of the text the edit box would pass the arrow on; the grid must not move.
        event->accept();
    }
}

TMyStringGrid::TMyStringGrid(QWidget* parent)
    : QTableView(parent), FModel(new TStringGridModel(this)) {
    setModel(FModel);
    setItemDelegate(new TStringGridDelegate(this));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setMinimumSectionSize(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    SetEditing(false);
    FModel->SetColCount(5);
    FModel->SetRowCount(5);
}

TMyStringGrid::~TMyStringGrid() = default;

void TMyStringGrid::SetWordWrap(bool value) {
    if (value == FWordWrap)
        return;
    FWordWrap = value;
    viewport()->update();
}

void TMyStringGrid::SetColWordWrap(int col, bool value) {
    if (value == ColWordWrap(col))
        return;
    if (value)
        FNoWrapCols.removeAll(col);
    else
        FNoWrapCols.append(col);
    viewport()->update();
}

bool TMyStringGrid::Editing() const {
    return FModel->Editable;
}

void TMyStringGrid::SetEditing(bool value) {
    FModel->Editable = value;
    setEditTriggers(value ? QAbstractItemView::EditKeyPressed | QAbstractItemView::DoubleClicked |
                                QAbstractItemView::AnyKeyPressed
                          : QAbstractItemView::NoEditTriggers);
}

int TMyStringGrid::ColCount() const {
    return FModel->columnCount();
}

void TMyStringGrid::SetColCount(int count) {
    FModel->SetColCount(count);
}

int TMyStringGrid::RowCount() const {
    return FModel->rowCount();
}

void TMyStringGrid::SetRowCount(int count) {
    FModel->SetRowCount(count);
}

void TMyStringGrid::ClearRows() {
    FModel->ClearRows();
    viewport()->update();
}

QString TMyStringGrid::Cells(int col, int row) const {
    return FModel->Cell(col, row);
}

void TMyStringGrid::SetCells(int col, int row, const QString& text) {
    FModel->SetCell(col, row, text);
}

void* TMyStringGrid::Objects(int row) const {
    return FModel->Object(row);
}

void TMyStringGrid::SetObjects(int row, void* object) {
    FModel->SetObject(row, object);
}

QString TMyStringGrid::RowHint(int row) const {
    return FModel->Hint(row);
}

void TMyStringGrid::SetRowHint(int row, const QString& hint) {
    FModel->SetHint(row, hint);
}

void TMyStringGrid::SetRowHeights(int height) {
    QHeaderView* header = verticalHeader();
    header->setDefaultSectionSize(height);
    // Sections sized one by one keep their size through a new default; give them all this one.
    for (int row = 0; row < RowCount(); ++row) {
        if (header->sectionSize(row) != height)
            header->resizeSection(row, height);
    }
}

int TMyStringGrid::Row() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

int TMyStringGrid::Col() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() : -1;
}

void TMyStringGrid::SetRow(int row) {
    if (row < 0 || row >= RowCount())
        return;
    const QModelIndex target = FModel->index(row, std::max(Col(), 0));
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
    if (selectionBehavior() == QAbstractItemView::SelectRows)
        flags |= QItemSelectionModel::Rows;
    selectionModel()->setCurrentIndex(target, flags);
    scrollTo(target);
}

int TMyStringGrid::TopRow() const {
    return rowAt(0);
}

void TMyStringGrid::BeginUpdate() {
    FModel->BeginUpdate();
}

void TMyStringGrid::EndUpdate() {
    FModel->EndUpdate();
    viewport()->update();
}

void TMyStringGrid::DrawCell(QPainter& painter, int col, int row, const QRect& rect,
                             const TGridDrawState& state) {
    painter.save();
    const QPalette::ColorGroup group = isActiveWindow() ? QPalette::Active : QPalette::Inactive;
    const QPalette& colours = palette();
    // The view has filled the viewport with the normal colour already; filling each large cell
    // again would only cost time.
    const bool viewportFilled = FInPaintEvent && viewport()->autoFillBackground() &&
                                viewport()->backgroundRole() == QPalette::Base;
    if (state.Selected || !viewportFilled) {
        painter.fillRect(
            rect, colours.brush(group, state.Selected ? QPalette::Highlight : QPalette::Base));
    }
    painter.setPen(
        colours.color(group, state.Selected ? QPalette::HighlightedText : QPalette::Text));
    painter.setFont(font());

    const TDefaultDrawingOff drawingOff(*this);
    QRect area = rect;
    if (drawingOff.Was()) {
        area.setLeft(area.left() + 2);
        area.setTop(area.top() + 2);
        DrawCellText(painter, area, Cells(col, row), FWordWrap && ColWordWrap(col));
    }
    painter.setClipRect(rect, Qt::IntersectClip);
    DoDrawCell(painter, col, row, area, state);
    painter.restore();
}

void TMyStringGrid::paintEvent(QPaintEvent* event) {
    FInPaintEvent = true;
    QTableView::paintEvent(event);
    FInPaintEvent = false;
}

void TMyStringGrid::DoDrawCell(QPainter& canvas, int col, int row, const QRect& rect,
                               const TGridDrawState& state) {
    if (OnDrawCell) {
        canvas.save();
        OnDrawCell(canvas, col, row, rect, state);
        canvas.restore();
    }
}

void TMyStringGrid::DoSelectCell(int col, int row) {
    if (OnSelectCell)
        OnSelectCell(col, row);
}

// Called through the selection model's signal: what the selection handler throws must not leave
// the slot.
void TMyStringGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (current.isValid() && current.row() != previous.row())
        RunReported([&] { DoSelectCell(current.column(), current.row()); });
}

void TMyStringGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    // The editor is deleted later; from now on the grid has none.
    if (editor == FEditor)
        FEditor = nullptr;
    QTableView::closeEditor(editor, hint);
}

void TMyStringGrid::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && Editing() && currentIndex().isValid()) {
        // Enter opens the editor of an editable grid (and closes it when it is open).
        if (state() == QAbstractItemView::EditingState)
            AcceptEditor();
        else
            edit(currentIndex());
        DeselectEditor();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
    if (event->key() == Qt::Key_F2)
        DeselectEditor();
}

void TMyStringGrid::mousePressEvent(QMouseEvent* event) {
    // A press below the last row or right of the last column leaves the selection alone.
    if (!indexAt(event->position().toPoint()).isValid()) {
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void TMyStringGrid::AcceptEditor() {
    if (!FEditor)
        return;
    QAbstractItemDelegate* delegate = itemDelegate();
    TMLInplaceEdit* editor = FEditor;
    emit delegate->commitData(editor);
    emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
    setFocus();
}

void TMyStringGrid::MoveFromEditor(int key) {
    AcceptEditor();
    QKeyEvent plain(QEvent::KeyPress, key, Qt::NoModifier);
    QTableView::keyPressEvent(&plain);
    DeselectEditor();
}

void TMyStringGrid::DeselectEditor() {
    if (FEditor)
        FEditor->Deselect();
}
