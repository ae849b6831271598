#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QMessageBox>
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

// A slot connected through Reported gets the signal's arguments, and what it throws is shown
// once and stays inside the slot: the emitting code goes on.
TEST(GeneralErrorReport, ReportedSlotsKeepTheirExceptions) {
    TScriptedDialogs dialogs;
    QComboBox combo;
    combo.addItems({QStringLiteral("a"), QStringLiteral("b")});
    QList<int> chosen;
    struct TReceiver {
        QList<int>* Chosen;
        void Activated(int index) {
            Chosen->append(index);
            if (index == 1)
                throw EReadError();
        }
    } receiver{&chosen};
    QObject::connect(&combo, &QComboBox::activated, &combo,
                     Reported(&receiver, &TReceiver::Activated));
    QObject::connect(&combo, &QComboBox::activated, &combo,
                     Reported([] { throw std::runtime_error("in place"); }));
    for (const int index : {1, 0}) {
        EXPECT_NO_THROW(emit combo.activated(index)) << index;
    }
    EXPECT_EQ(chosen, (QList<int>{1, 0}));
    EXPECT_EQ(dialogs.MessageTexts(),
              (QStringList{QStringLiteral("ストリームからの読み込みエラー"),
                           QStringLiteral("in place"), QStringLiteral("in place")}));
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

class MessageWrap : public ::testing::TestWithParam<TWrapCase> {};

TEST_P(MessageWrap, BreaksAtSeparatorsAndSpacesBeforeInsideWords) {
    EXPECT_EQ(WrapMessageLines(GetParam().Text, GetParam().MaxWidth, Units), GetParam().Lines);
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, MessageWrap,
    ::testing::Values(
        TWrapCase{"PathAfterItsSeparators",
                  QStringLiteral("/data/photo/20261209/reduce/IMG_0001.JPG"),
                  20,
                  {QStringLiteral("/data/photo/"), QStringLiteral("20261209/reduce/"),
                   QStringLiteral("IMG_0001.JPG")}},
        TWrapCase{"ReasonKeptWhole",
                  QStringLiteral("書き込めません。 アクセス許可がありません\n次の行"),
                  30,
                  {QStringLiteral("書き込めません。"), QStringLiteral("アクセス許可がありません"),
                   QStringLiteral("次の行")}},
        TWrapCase{"JapaneseWithoutSpaces",
                  QStringLiteral("あいうえおかきくけこ"),
                  10,
                  {QStringLiteral("あいうえお"), QStringLiteral("かきくけこ")}},
        TWrapCase{"WordLongerThanALine",
                  QStringLiteral("abcdefghijkl"),
                  5,
                  {QStringLiteral("abcde"), QStringLiteral("fghij"), QStringLiteral("kl")}}),
    [](const auto& info) { return std::string(info.param.Name); });

// The boxes as they open: the title whole beside the frame's icon and three buttons (4 x 32
// pixels), no line wider than a line may be, so that the box does not break it again itself.
TEST(MessageBoxLayout, ShowsTheTitleWholeAndKeepsTheLinesAsBroken) {
    TScriptedDialogs dialogs;
    ShowMessage(QStringLiteral("完了"));
    ShowMessage(
        QStringLiteral("ファイル \"/home/kavro/data/photo/20261209/reduce/IMG_20261209_"
                       "093000_0001.JPG\" を作成できません。アクセス許可がありません"));
    QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
    titleFont.setBold(true);
    for (const TMessageRequest& request : dialogs.Messages()) {
        const std::unique_ptr<QMessageBox> box = NewMessageBox(request, nullptr);
        box->show();
        QApplication::processEvents();
        EXPECT_GE(box->width(), QFontMetrics(titleFont).horizontalAdvance(request.Title) + 4 * 32);
        const QStringList lines = box->text().split(u'\n');
        for (const QString& line : lines) {
            EXPECT_LE(QFontMetrics(box->font()).horizontalAdvance(line), MessageLineWidth(nullptr))
                << line.toStdString();
        }
        EXPECT_EQ(lines.join(QString()).remove(u' '), QString(request.Text).remove(u' '));
    }
}

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
    const QModelIndex root = view->rootIndex();
    for (int i = 0; i < 200 && view->model()->rowCount(root) == 0; ++i)
        QTest::qWait(10);
    ASSERT_EQ(view->model()->rowCount(root), 1);
    QApplication::processEvents();
    // Each text whole between the cell's margins (the style cuts it short there), the name
    // beside its icon; no column past the view's right edge.
    const QHeaderView* header = view->header();
    const int margin =
        2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1);
    for (int column = 0; column < 4; ++column) {
        const QString shown = view->model()->index(0, column, root).data().toString();
        const int icon = column == 0 ? view->iconSize().width() + margin : 0;
        EXPECT_GE(header->sectionSize(column),
                  view->fontMetrics().horizontalAdvance(shown) + icon + margin)
            << column;
        EXPECT_LE(header->sectionViewportPosition(column) + header->sectionSize(column),
                  header->viewport()->width())
            << column;
    }
    EXPECT_EQ(view->model()->index(0, 3, root).data().toString(),
              QFileInfo(photo).lastModified().toString(QStringLiteral("yyyy/MM/dd H:mm")));
}

}  // namespace
