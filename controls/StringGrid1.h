#pragma once

#include <QFont>
#include <QList>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QTableView>
#include <functional>

class QPainter;
class TMyStringGrid;
class TStringGridModel;

// One line of a cell text as the grid draws it: the text without its mnemonic marks, the
// positions in it of the characters drawn underlined, and its top relative to the text area.
struct TCellTextLine {
    QString Text;
    QList<int> Underlined;
    int Top = 0;
};

// Breaks a cell text into the lines that fit a text area of width x height: a new line at every
// line break of the text (CR LF, CR or LF) and, with wordWrap, wherever the next word would pass
// the right edge (a word wider than the area is broken). A line that would be only partly
// visible at the bottom is left out. "&" marks the next character as a mnemonic; "&&" is one "&".
QList<TCellTextLine> LayoutCellText(const QString& text, const QFont& font, int width, int height,
                                    bool wordWrap);

// Draws the lines of LayoutCellText into the area, clipped to it, with the painter's pen.
void DrawCellText(QPainter& painter, const QRect& area, const QString& text, bool wordWrap);

// The state of a cell handed to the per-cell drawing event.
struct TGridDrawState {
    bool Selected = false;
    bool Focused = false;
};

// The grid's multi-line in-place editor. Enter adds a line break to the cell text; Ctrl+Enter
// ends editing and hands the text to the grid; Ctrl with an arrow moves the grid to the
// neighbouring cell, while a plain arrow only moves the caret.
class TMLInplaceEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    TMLInplaceEdit(QWidget* parent, TMyStringGrid* grid);

    // Leaves nothing selected and puts the caret at the end of the text.
    void Deselect();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    TMyStringGrid* FGrid;
};

// A string grid that draws its cell texts itself, so that a cell shows several lines: the line
// breaks of the text always, and with WordWrap also the breaks that keep words inside the cell.
//
// Cells, column widths, row heights, selection and scrolling are the table view's; the texts and
// one untyped reference per row live in a flat model, so that a grid of ten thousand rows costs
// one text per cell and draws only the rows in view.
//
// With DefaultDrawing on, a cell is drawn as: background in the style's normal or selected
// colours, the text from 2 pixels inside the top left corner, then the OnDrawCell event with the
// rectangle moved those 2 pixels in at its left and top. DefaultDrawing reads false during the
// event. With DefaultDrawing off, only the background and the event, with the whole rectangle.
// Whatever the event draws is clipped to its cell, so a picture too large for its cell never
// covers the neighbouring cells.
class TMyStringGrid : public QTableView {
    Q_OBJECT
public:
    using TDrawCellEvent = std::function<void(QPainter& canvas, int col, int row, const QRect& rect,
                                              const TGridDrawState& state)>;
    using TSelectCellEvent = std::function<void(int col, int row)>;

    explicit TMyStringGrid(QWidget* parent = nullptr);
    ~TMyStringGrid() override;

    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool value);
    // A column whose texts never wrap, whatever WordWrap says (a row number that must stay on
    // one line); its texts still break at their own line breaks.
    bool ColWordWrap(int col) const { return !FNoWrapCols.contains(col); }
    void SetColWordWrap(int col, bool value);
    bool DefaultDrawing() const { return FDefaultDrawing; }
    void SetDefaultDrawing(bool value) { FDefaultDrawing = value; }
    // Whether the cells can be edited (F2, Enter, typing, double click open the editor).
    bool Editing() const;
    void SetEditing(bool value);

    int ColCount() const;
    void SetColCount(int count);
    int RowCount() const;
    // Rows added are empty; rows removed take their texts and references with them. When the
    // selected row goes, the selection moves to the new last row.
    void SetRowCount(int count);
    // Empties every cell text, reference and hint; the rows, the selection and the scroll
    // position stay.
    void ClearRows();

    QString Cells(int col, int row) const;
    void SetCells(int col, int row, const QString& text);
    void* Objects(int row) const;
    void SetObjects(int row, void* object);
    // The tooltip of every cell of the row; empty for none.
    QString RowHint(int row) const;
    void SetRowHint(int row, const QString& hint);

    int ColWidths(int col) const { return columnWidth(col); }
    void SetColWidths(int col, int width) { setColumnWidth(col, width); }
    // Every row, present and future, gets this height.
    void SetRowHeights(int height);
    int RowHeights(int row) const { return rowHeight(row); }

    // The selected row, -1 when none.
    int Row() const;
    // Selects the row (keeping the column), scrolling it into view; runs OnSelectCell.
    void SetRow(int row);
    int Col() const;
    // The first row in view.
    int TopRow() const;
    // Row under a point of the viewport, -1 below the last row.
    int RowAt(const QPoint& viewportPoint) const { return rowAt(viewportPoint.y()); }

    // Cell texts are changed without telling the view until EndUpdate, which repaints once.
    void BeginUpdate();
    void EndUpdate();

    // The editor while it is shown, else null.
    TMLInplaceEdit* InplaceEditor() const { return FEditor; }

    TDrawCellEvent OnDrawCell;
    TSelectCellEvent OnSelectCell;

    // Draws one cell; the delegate calls it for every cell in view.
    void DrawCell(QPainter& painter, int col, int row, const QRect& rect,
                  const TGridDrawState& state);

protected:
    virtual void DoDrawCell(QPainter& canvas, int col, int row, const QRect& rect,
                            const TGridDrawState& state);
    virtual void DoSelectCell(int col, int row);

    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    friend class TMLInplaceEdit;
    friend class TStringGridDelegate;
    // Ends editing, keeping the edited text.
    void AcceptEditor();
    // From the editor: Ctrl with an arrow moves as the plain arrow does in the grid.
    void MoveFromEditor(int key);
    void DeselectEditor();

    TStringGridModel* FModel;
    QPointer<TMLInplaceEdit> FEditor;
    bool FWordWrap = false;
    QList<int> FNoWrapCols;
    bool FDefaultDrawing = true;
    bool FInPaintEvent = false;
};
