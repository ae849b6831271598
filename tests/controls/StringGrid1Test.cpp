#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTest>

#include "controls/StringGrid1.h"

namespace {

QFont GridFont() {
    QFont font;
    font.setPixelSize(15);
    return font;
}

QStringList Texts(const QList<TCellTextLine>& lines) {
    QStringList texts;
    for (const TCellTextLine& line : lines)
        texts.append(line.Text);
    return texts;
}

struct TLayoutCase {
    const char* Name;
    const char* Text;
    const char* WidthOf;  // the area is this text's width plus Slack; empty: a wide area
    int Slack;
    double Lines;  // the area's height in lines
    bool WordWrap;
    QStringList Expected;
};

class CellTextLayout : public ::testing::TestWithParam<TLayoutCase> {};

TEST_P(CellTextLayout, BreaksAndClipsLines) {
    const TLayoutCase& c = GetParam();
    const QFont font = GridFont();
    const QFontMetrics metrics(font);
    const QString widthOf = QString::fromUtf8(c.WidthOf);
    const int width = widthOf.isEmpty() ? 2000 : metrics.horizontalAdvance(widthOf) + c.Slack;
    const int height = int(c.Lines * metrics.height());
    const auto lines = LayoutCellText(QString::fromUtf8(c.Text), font, width, height, c.WordWrap);
    EXPECT_EQ(Texts(lines), c.Expected);
    for (int i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i].Top, i * metrics.height());
}

const QStringList TwoLines{"ab", "cd"};
INSTANTIATE_TEST_SUITE_P(
    StringGrid1, CellTextLayout,
    ::testing::Values(
        TLayoutCase{"CrLfWrapOff", "ab\r\ncd", "", 0, 5, false, TwoLines},
        TLayoutCase{"CrLfWrapOn", "ab\r\ncd", "", 0, 5, true, TwoLines},
        TLayoutCase{"LoneCrAndLf", "ab\ncd\ref", "", 0, 5, false, {"ab", "cd", "ef"}},
        TLayoutCase{"EmptyLineKept", "ab\r\n\r\ncd", "", 0, 5, true, {"ab", "", "cd"}},
        TLayoutCase{"LongLineWrapOff", "aaa bbb", "aaa bbb", -1, 5, false, {"aaa bbb"}},
        TLayoutCase{"LongLineWrapOn", "aaa bbb", "aaa bbb", -1, 5, true, {"aaa", "bbb"}},
        TLayoutCase{"FitsExactly", "aaa bbb", "aaa bbb", 0, 5, true, {"aaa bbb"}},
        TLayoutCase{"WordWiderThanCell", "abcdefghij", "abcde", 1, 5, true, {"abcde", "fghij"}},
        TLayoutCase{"PartLineLeftOut", "a\nb\nc", "", 0, 2.6, false, {"a", "b"}},
        TLayoutCase{"WrappedPartLineLeftOut", "aaa bbb ccc", "aaa", 1, 2.9, true, {"aaa", "bbb"}},
        TLayoutCase{"WholeLinesAllDrawn", "a\nb\nc", "", 0, 3, false, {"a", "b", "c"}},
        TLayoutCase{"NothingFits", "a", "", 0, 0.9, false, {}},
        TLayoutCase{"MnemonicHidden", "a&bc", "", 0, 5, false, {"abc"}},
        TLayoutCase{"DoubleAmpersand", "a&&b", "", 0, 5, false, {"a&b"}},
        TLayoutCase{"TrailingAmpersand", "ab&", "", 0, 5, false, {"ab"}},
        TLayoutCase{"JapaneseBrokenInside",
                    "場所：写真写真",
                    "場所：写",
                    1,
                    5,
                    true,
                    {"場所：写", "真写真"}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(StringGrid1, MnemonicUnderlinesTheFollowingCharacter) {
    struct TCase {
        const char* Text;
        QList<QList<int>> Underlined;  // per line
    };
    const TCase cases[] = {
        {"a&bc", {{1}}},
        {"a&&b", {{}}},
        {"&&&x", {{1}}},
        {"&a\nb&c", {{0}, {1}}},
    };
    for (const TCase& c : cases) {
        const auto lines = LayoutCellText(QString::fromUtf8(c.Text), GridFont(), 2000, 2000, true);
        ASSERT_EQ(lines.size(), c.Underlined.size()) << c.Text;
        for (int i = 0; i < lines.size(); ++i)
            EXPECT_EQ(lines[i].Underlined, c.Underlined[i]) << c.Text << " line " << i;
    }
}

TEST(StringGrid1, DrawCellEventRectangleAndDefaultDrawing) {
    struct TCase {
        bool DefaultDrawing;
        QRect Expected;
    };
    const TCase cases[] = {
        {true, QRect(QPoint(2, 2), QPoint(63, 129))},
        {false, QRect(0, 0, 64, 130)},
    };
    for (const TCase& c : cases) {
        TMyStringGrid grid;
        grid.SetDefaultDrawing(c.DefaultDrawing);
        QRect seen;
        bool defaultDuringEvent = true;
        grid.OnDrawCell = [&](QPainter&, int, int, const QRect& rect, const TGridDrawState&) {
            seen = rect;
            defaultDuringEvent = grid.DefaultDrawing();
        };
        QImage canvas(100, 200, QImage::Format_RGB32);
        QPainter painter(&canvas);
        grid.DrawCell(painter, 0, 0, QRect(0, 0, 64, 130), {});
        EXPECT_EQ(seen, c.Expected) << c.DefaultDrawing;
        EXPECT_FALSE(defaultDuringEvent);
        EXPECT_EQ(grid.DefaultDrawing(), c.DefaultDrawing);
    }
}

TEST(StringGrid1, TextStartsTwoPixelsInsideAndOnlyWithDefaultDrawing) {
    for (const bool defaultDrawing : {true, false}) {
        TMyStringGrid grid;
        grid.SetDefaultDrawing(defaultDrawing);
        QFont font = GridFont();
        font.setPixelSize(30);
        grid.setFont(font);
        QPalette colours = grid.palette();
        colours.setColor(QPalette::Base, Qt::white);
        colours.setColor(QPalette::Text, Qt::black);
        grid.setPalette(colours);
        grid.SetCells(0, 0, QStringLiteral("■■"));
        QImage canvas(100, 60, QImage::Format_RGB32);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        grid.DrawCell(painter, 0, 0, QRect(0, 0, 100, 60), {});
        painter.end();
        int firstInkX = -1, firstInkY = -1;
        for (int y = 0; y < canvas.height() && firstInkY < 0; ++y)
            for (int x = 0; x < canvas.width(); ++x)
                if (qGray(canvas.pixel(x, y)) < 128) {
                    firstInkY = y;
                    break;
                }
        for (int x = 0; x < canvas.width() && firstInkX < 0; ++x)
            for (int y = 0; y < canvas.height(); ++y)
                if (qGray(canvas.pixel(x, y)) < 128) {
                    firstInkX = x;
                    break;
                }
        if (defaultDrawing) {
            EXPECT_GE(firstInkX, 2);
            EXPECT_GE(firstInkY, 2);
        } else {
            EXPECT_EQ(firstInkX, -1) << "no text without default drawing";
        }
    }
}

class GridWidget : public ::testing::Test {
protected:
    void SetUp() override {
        Grid.SetColCount(3);
        Grid.SetRowCount(4);
        Grid.resize(300, 200);
        Grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Grid));
        Grid.setFocus();
        QApplication::processEvents();
    }
    TMyStringGrid Grid;
};

// Counts the paints of a widget.
class TPaintCounter : public QObject {
public:
    int Count = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++Count;
        return false;
    }
};

TEST_F(GridWidget, WordWrapRepaintsOnlyOnChange) {
    TPaintCounter counter;
    Grid.viewport()->installEventFilter(&counter);
    QApplication::processEvents();
    counter.Count = 0;
    Grid.SetWordWrap(false);
    QApplication::processEvents();
    EXPECT_EQ(counter.Count, 0);
    Grid.SetWordWrap(true);
    QApplication::processEvents();
    EXPECT_GT(counter.Count, 0);
    EXPECT_TRUE(Grid.WordWrap());
}

TEST_F(GridWidget, ShrinkingBelowSelectionSelectsNewLastRow) {
    Grid.setSelectionBehavior(QAbstractItemView::SelectRows);
    QList<int> selected;
    Grid.OnSelectCell = [&](int, int row) { selected.append(row); };
    Grid.SetRow(3);
    Grid.SetRowCount(2);
    EXPECT_EQ(Grid.Row(), 1);
    EXPECT_EQ(selected, (QList<int>{3, 1}));
}

TEST_F(GridWidget, ClearingRowsKeepsThemAndTheSelection) {
    int marker = 0;
    Grid.SetRowCount(4);
    for (int row = 0; row < 4; ++row) {
        Grid.SetCells(1, row, QStringLiteral("x"));
        Grid.SetObjects(row, &marker);
        Grid.SetRowHint(row, QStringLiteral("hint"));
    }
    Grid.SetRow(2);
    Grid.ClearRows();
    EXPECT_EQ(Grid.RowCount(), 4);
    EXPECT_EQ(Grid.Row(), 2);
    for (int row = 0; row < 4; ++row) {
        EXPECT_TRUE(Grid.Cells(1, row).isEmpty()) << row;
        EXPECT_EQ(Grid.Objects(row), nullptr) << row;
        EXPECT_TRUE(Grid.RowHint(row).isEmpty()) << row;
    }
}

TEST_F(GridWidget, EditingKeys) {
    Grid.SetEditing(true);
    Grid.SetCells(0, 0, QStringLiteral("ab"));
    Grid.SetRow(0);

    // F2 opens the editor with nothing selected and the caret at the end.
    QTest::keyClick(&Grid, Qt::Key_F2);
    TMLInplaceEdit* editor = Grid.InplaceEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(editor->textCursor().hasSelection());
    EXPECT_TRUE(editor->textCursor().atEnd());

    // A plain arrow moves only the caret, Enter breaks the line, Ctrl+Enter keeps the text.
    QTest::keyClick(editor, Qt::Key_Down);
    EXPECT_EQ(Grid.Row(), 0);
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClicks(editor, QStringLiteral("c"));
    QTest::keyClick(editor, Qt::Key_Return, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_EQ(Grid.Cells(0, 0), QStringLiteral("ab\nc"));
    EXPECT_EQ(Grid.InplaceEditor(), nullptr);

    // Enter in the grid opens the editor; Ctrl+Down keeps the text and moves a row down.
    QTest::keyClick(&Grid, Qt::Key_Return);
    editor = Grid.InplaceEditor();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("d"));
    QTest::keyClick(editor, Qt::Key_Down, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_EQ(Grid.Cells(0, 0), QStringLiteral("ab\ncd"));
    EXPECT_EQ(Grid.Row(), 1);
    EXPECT_EQ(Grid.Col(), 0);
}

TEST_F(GridWidget, ReadOnlyGridOpensNoEditor) {
    Grid.SetRow(0);
    for (const Qt::Key key : {Qt::Key_F2, Qt::Key_Return, Qt::Key_A}) {
        QTest::keyClick(&Grid, key);
        EXPECT_EQ(Grid.InplaceEditor(), nullptr) << key;
    }
}

}  // namespace
