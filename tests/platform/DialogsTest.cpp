#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include "platform/Dialogs.h"
#include "platform/Exception.h"
#include "platform/KavroApplication.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestFolder.h"

namespace {

using namespace Dialogs;

TEST(Dialogs, BoxKindsCarryTheirTitlesIconsAndButtons) {
    TScriptedDialogs dialogs;
    ShowMessage(QStringLiteral("a"));
    dialogs.AnswerNext(TMsgResult::No);
    EXPECT_FALSE(Confirm(QStringLiteral("b")));
    EXPECT_TRUE(Confirm(QStringLiteral("c")));
    ShowWarning(QStringLiteral("ソラリノシリーズが起動中です。"));

    const auto& shown = dialogs.Messages();
    ASSERT_EQ(shown.size(), 4);
    EXPECT_EQ(shown[0].Buttons, TMsgButtons::Ok);
    EXPECT_EQ(shown[0].Icon, TMsgIcon::None);
    EXPECT_EQ(shown[1].Title, QStringLiteral("情報"));
    EXPECT_EQ(shown[1].Icon, TMsgIcon::Information);
    EXPECT_EQ(shown[1].ButtonTexts,
              (QStringList{QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)")}));
    EXPECT_EQ(shown[3].Title, QStringLiteral("警告"));
    EXPECT_EQ(shown[3].Icon, TMsgIcon::Warning);
    EXPECT_EQ(shown[3].ButtonTexts, QStringList{QStringLiteral("OK")});
}

// The general error report: an exception leaving an event handler is shown and the loop goes on.
TEST(GeneralErrorReport, ShowsTheTextAndKeepsTheLoopRunning) {
    TScriptedDialogs dialogs;
    bool after = false;
    QTimer::singleShot(0, [] { throw EInOutError(5); });
    QTimer::singleShot(0, [] { throw std::runtime_error("plain"); });
    QTimer::singleShot(1, [&] { after = true; });
    QTimer::singleShot(5, qApp, &QCoreApplication::quit);
    qApp->exec();
    EXPECT_TRUE(after);
    EXPECT_EQ(dialogs.MessageTexts(),
              (QStringList{QStringLiteral("I/O エラー (5)"), QStringLiteral("plain")}));
}

TEST(Exceptions, MessagesAsShown) {
    EXPECT_EQ(EFOpenError(QStringLiteral("/a/b.jpg"), QStringLiteral("No such file")).Message(),
              QStringLiteral("ファイル /a/b.jpg は開けません。 No such file "));
    EXPECT_EQ(EReadError().Message(), QStringLiteral("ストリームからの読み込みエラー"));
    EXPECT_EQ(EJPEG(42).Message(), QStringLiteral("JPEG エラー #42"));
    EXPECT_STREQ(EJPEG(42).what(), "JPEG エラー #42");
}

// --- Message box layout ----------------------------------------------------------------------

// One unit per ASCII character and two per other character, as a wide font would measure.
int Units(const QString& text) {
    int width = 0;
    for (const QChar c : text)
        width += c.unicode() < 128 ? 1 : 2;
    return width;
}

struct TWrapCase {
    const char* Name;
    QString Text;
    int MaxWidth;
    QStringList Lines;
};

void PrintTo(const TWrapCase& c, std::ostream* out) {
    *out << c.Name;
}

class MessageWrap : public ::testing::TestWithParam<TWrapCase> {};

TEST_P(MessageWrap, BreaksAtSeparatorsAndSpacesBeforeInsideWords) {
    const TWrapCase& c = GetParam();
    const QStringList lines = WrapMessageLines(c.Text, c.MaxWidth, Units);
    EXPECT_EQ(lines, c.Lines);
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, MessageWrap,
    ::testing::Values(
        TWrapCase{"FitsWhole", QStringLiteral("短い文"), 10, {QStringLiteral("短い文")}},
        TWrapCase{"LinesOfTheTextKept",
                  QStringLiteral("一行目\n二行目"),
                  40,
                  {QStringLiteral("一行目"), QStringLiteral("二行目")}},
        TWrapCase{"PathAfterItsSeparators",
                  QStringLiteral("/data/photo/20261209/reduce/IMG_0001.JPG"),
                  20,
                  {QStringLiteral("/data/photo/"), QStringLiteral("20261209/reduce/"),
                   QStringLiteral("IMG_0001.JPG")}},
        TWrapCase{"ReasonKeptWhole",
                  QStringLiteral("書き込めません。 アクセス許可がありません"),
                  30,
                  {QStringLiteral("書き込めません。"), QStringLiteral("アクセス許可がありません")}},
        TWrapCase{
            "MessageWithAPath",
            QStringLiteral("ファイル \"/home/user/data/photo/IMG_0001.JPG\" を作成できません。"),
            30,
            {QStringLiteral("ファイル \"/home/user/data/"), QStringLiteral("photo/IMG_0001.JPG\""),
             QStringLiteral("を作成できません。")}},
        TWrapCase{"JapaneseWithoutSpaces",
                  QStringLiteral("あいうえおかきくけこ"),
                  10,
                  {QStringLiteral("あいうえお"), QStringLiteral("かきくけこ")}},
        TWrapCase{"WordLongerThanALine",
                  QStringLiteral("abcdefghijkl"),
                  5,
                  {QStringLiteral("abcde"), QStringLiteral("fghij"), QStringLiteral("kl")}}),
    [](const auto& info) { return std::string(info.param.Name); });

struct TBoxCase {
    const char* Name;
    std::function<void()> Show;
};

void PrintTo(const TBoxCase& c, std::ostream* out) {
    *out << c.Name;
}

class MessageBoxLayout : public ::testing::TestWithParam<TBoxCase> {};

// The box as it opens: its title whole beside the frame's buttons, no line of text wider than a
// line may be, so the box does not break the lines again by itself.
TEST_P(MessageBoxLayout, ShowsTheTitleWholeAndKeepsTheLinesAsBroken) {
    TScriptedDialogs dialogs;
    GetParam().Show();
    ASSERT_EQ(dialogs.Messages().size(), 1);
    const TMessageRequest request = dialogs.Messages().front();
    const std::unique_ptr<QMessageBox> box = NewMessageBox(request, nullptr);
    box->show();
    QApplication::processEvents();
    QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
    titleFont.setBold(true);
    // Icon, minimise, maximise and close buttons of a common window manager: 4 x 32 pixels.
    EXPECT_GE(box->width(), QFontMetrics(titleFont).horizontalAdvance(request.Title) + 4 * 32);
    const QFontMetrics metrics(box->font());
    const QStringList lines = box->text().split(u'\n');
    for (const QString& line : lines)
        EXPECT_LE(metrics.horizontalAdvance(line), MessageLineWidth(nullptr)) << line.toStdString();
    EXPECT_EQ(lines.join(QString()).remove(u' '), QString(request.Text).remove(u' '));
    auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    ASSERT_NE(label, nullptr);
    EXPECT_GE(label->width(), metrics.horizontalAdvance(lines.front()));
}

const QString LongPath = QStringLiteral(
    "/home/kavro/data/photo/20261209/reduce/IMG_20261209_093000_0001_とても長い名前.JPG");

INSTANTIATE_TEST_SUITE_P(
    Dialogs, MessageBoxLayout,
    ::testing::Values(
        TBoxCase{"ShortMessage", [] { ShowMessage(QStringLiteral("完了")); }},
        TBoxCase{"Confirmation", [] { Confirm(QStringLiteral("よろしいですか？")); }},
        TBoxCase{"Warning", [] { ShowWarning(QStringLiteral("ソラリノシリーズが起動中です。")); }},
        TBoxCase{"PathAndReason",
                 [] {
                     ShowMessage(QStringLiteral("ファイル \"%1\" を作成できません。%2")
                                     .arg(LongPath, QStringLiteral("アクセス許可がありません")));
                 }},
        TBoxCase{"MarkupLookingName",
                 [] { ShowMessage(QStringLiteral("<b>%1</b> に書き込めません").arg(LongPath)); }}),
    [](const auto& info) { return std::string(info.param.Name); });

// --- File chooser --------------------------------------------------------------------------------

TEST(FileChooser, OpensWithTheFourColumnsWholeAndJapaneseDates) {
    TTestFolder folder;
    const QString photo = folder.WriteFile(QStringLiteral("IMG_20261209_093000.JPG"), "x");
    TOpenFilesRequest request;
    request.NameFilters = {QStringLiteral("JPEG イメージファイル (*.jpg *.JPG)")};
    request.Folder = folder.Path();
    const std::unique_ptr<QFileDialog> dialog = NewOpenFilesDialog(request, nullptr);
    dialog->show();
    auto* view = dialog->findChild<QTreeView*>();
    ASSERT_NE(view, nullptr);
    QAbstractItemModel* model = view->model();
    const QModelIndex root = view->rootIndex();
    for (int i = 0; i < 200 && model->rowCount(root) == 0; ++i)
        QTest::qWait(10);
    ASSERT_EQ(model->rowCount(root), 1);
    QApplication::processEvents();

    const QHeaderView* header = view->header();
    const QFontMetrics metrics(view->font());
    for (int column = 0; column < 4; ++column) {
        EXPECT_FALSE(header->isSectionHidden(column)) << column;
        EXPECT_LE(header->sectionViewportPosition(column) + header->sectionSize(column),
                  header->viewport()->width())
            << column;
        // The text whole between the cell's margins (where the style cuts it short); the name
        // also beside its icon.
        const QString shown = model->index(0, column, root).data().toString();
        const int margin =
            view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
        const int icon = column == 0 ? view->iconSize().width() + 2 * margin : 0;
        EXPECT_GE(header->sectionSize(column), metrics.horizontalAdvance(shown) + icon + 2 * margin)
            << column;
    }
    const QString date = model->index(0, 3, root).data().toString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}/\\d{2}/\\d{2} \\d{1,2}:\\d{2}$"))
                    .match(date)
                    .hasMatch())
        << date.toStdString();
    EXPECT_TRUE(
        date.startsWith(QFileInfo(photo).lastModified().toString(QStringLiteral("yyyy/MM/dd"))));
}

}  // namespace
