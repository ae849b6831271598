#include <gtest/gtest.h>

#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWebEngineProfile>
#include <QWebEngineScript>

#include "app/SitePages.h"
#include "app/Unit31.h"
#include "app/Unit32.h"
#include "app/Unit41.h"
#include "app/WebBrowser.h"
#include "controls/ListView3.h"
#include "platform/Cp932.h"
#include "sites/Unit18.h"
#include "sites/Unit19.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestFolder.h"

namespace {

// The page's text as the browser shows it.
QString PlainText(TWebBrowser* browser) {
    QString text;
    QEventLoop loop;
    browser->page()->toPlainText([&](const QString& result) {
        text = result;
        loop.quit();
    });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    return text;
}

// What a script of the program's own (not the page's) finds in the page.
QString Evaluate(TWebBrowser* browser, const QString& script) {
    QString value;
    QEventLoop loop;
    browser->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                   [&](const QVariant& result) {
                                       value = result.toString();
                                       loop.quit();
                                   });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    return value;
}

class WebPagesTest : public ::testing::Test {
protected:
    std::unique_ptr<TForm31> Start() {
        auto form = std::make_unique<TForm31>();
        form->Form32 = &Viewer;
        form->show();
        return form;
    }
    void WriteSettings(const QByteArray& lines) {
        Folder.WriteFile(QStringLiteral("KavroPhoto.ini"), lines);
    }
    QString PageFile() const { return Folder.FilePath(QStringLiteral("data/OkiniList.html")); }

    TTestFolder Folder;
    TScriptedDialogs Dialogs;
    TForm32 Viewer;
};

// Fills the registration dialog and presses OK (or キャンセル), as a user would.
std::function<int(QDialog&)> Register(const QString& name, const QString& url, const QString& memo,
                                      bool ok = true) {
    return [=](QDialog& window) {
        auto& form = dynamic_cast<TForm18&>(window);
        form.show();
        form.Edit1->setText(name);
        if (!url.isNull())
            form.Edit3->setText(url);
        form.Edit2->setText(memo);
        QTest::mouseClick(ok ? form.Button1 : form.Button2, Qt::LeftButton);
        return form.result();
    };
}

// Ticks a row of the chooser and presses OK.
std::function<int(QDialog&)> Choose(int row) {
    return [=](QDialog& window) {
        auto& form = dynamic_cast<TForm19&>(window);
        form.show();
        form.ListView31->CheckItem(row);
        QTest::mouseClick(form.Button2, Qt::LeftButton);
        return form.result();
    };
}

TEST_F(WebPagesTest, StartShowsTheOwnPagesAndTheFavouritesPage) {
    Folder.WriteFile(QStringLiteral("data/OkiniList.xml"),
                     "<?xml version=\"1.0\" encoding=\"SHIFT-JIS\"?><data><okini><name>" +
                         Cp932::Encode(QStringLiteral("野菜の庭")) +
                         "</name><url>http://a/</url><memo>m</memo></okini></data>");
    auto form = Start();
    EXPECT_EQ(form->PageControl1->currentWidget(), form->TabSheet1);
    // Nothing waited for the web tabs during the start.
    form->WebBrowser1->WaitUntilReady();
    form->WebBrowser3->WaitUntilReady();
    EXPECT_EQ(form->WebBrowser1->url(), QUrl(SiteBaseUrl + QStringLiteral("/info.html")));
    EXPECT_EQ(form->WebBrowser3->url(), QUrl(SiteBaseUrl + QStringLiteral("/osusume.html")));
    EXPECT_EQ(form->WebBrowser2->url(), QUrl::fromLocalFile(PageFile()));
    EXPECT_EQ(form->WebBrowser2->ReadyState(), TWebBrowser::TReadyState::Complete);
    EXPECT_EQ(form->WebBrowser2->contextMenuPolicy(), Qt::NoContextMenu);
    EXPECT_TRUE(PlainText(form->WebBrowser2).contains(QStringLiteral("野菜の庭 - m")));
    EXPECT_TRUE(Dialogs.ModalTitles().isEmpty());
}

TEST_F(WebPagesTest, AddedSiteIsSavedAndShownAtTheEndOfThePage) {
    auto form = Start();
    Dialogs.OnModalNext(
        Register(QStringLiteral("トマト"), QString(), QStringLiteral("<b>育て方</b>")));
    Dialogs.OnModalNext(Register(QStringLiteral("B"), QStringLiteral("http://b/"), QString()));
    QTest::mouseClick(form->Button26, Qt::LeftButton);
    QTest::mouseClick(form->Button26, Qt::LeftButton);
    EXPECT_EQ(Dialogs.ModalTitles(),
              (QStringList{QStringLiteral("URL登録"), QStringLiteral("URL登録")}));
    TOkiniList reread;
    reread.Load();
    ASSERT_EQ(reread.Count(), 2);
    EXPECT_EQ(reread[0]->Url, QStringLiteral("http://"));
    EXPECT_EQ(reread[0]->Memo, QStringLiteral("<b>育て方</b>"));
    const QString text = PlainText(form->WebBrowser2);
    const QString first = QStringLiteral("トマト - <b>育て方</b>");
    EXPECT_LT(text.indexOf(first), text.indexOf(QStringLiteral("B -")));
    EXPECT_GE(text.indexOf(first), 0);
    // The page's own stylesheet, served by the program, is applied: its links are bold.
    EXPECT_EQ(Evaluate(form->WebBrowser2,
                       QStringLiteral("getComputedStyle(document.querySelector('a')).fontWeight")),
              QStringLiteral("700"));
}

// Markup in a name, an address or a note is shown as typed, and a refresh in a note does not
// take the view away from the page.
TEST_F(WebPagesTest, TextsShowAsTypedAndTheViewStaysOnThePage) {
    auto form = Start();
    const QString name = QStringLiteral("トマト<初心者向け>");
    const QString url = QStringLiteral("http://x/?a=1&b=\"2\"");
    const QString memo = QStringLiteral(
        "<meta http-equiv=\"refresh\" content=\"0;url=about:blank\"><a href=\"http://y/\">y</a>");
    Dialogs.OnModalNext(Register(name, url, memo));
    QTest::mouseClick(form->Button26, Qt::LeftButton);
    QTest::qWait(500);
    EXPECT_EQ(form->WebBrowser2->url(), QUrl::fromLocalFile(PageFile()));
    EXPECT_TRUE(PlainText(form->WebBrowser2).contains(name + QStringLiteral(" - ") + memo));
    EXPECT_EQ(Evaluate(form->WebBrowser2, QStringLiteral("document.links.length")),
              QStringLiteral("1"));
    EXPECT_EQ(Evaluate(form->WebBrowser2, QStringLiteral("document.links[0].getAttribute('href')")),
              url);
}

struct TChangeCase {
    const char* Name;
    bool Delete;
    bool ChooserOk;
    bool Confirm;  // the registration dialog's OK, or the delete question's yes
    QStringList Expected;
    QStringList Questions;
};

void PrintTo(const TChangeCase& c, std::ostream* out) {
    *out << c.Name;
}

class FavouriteChanges : public WebPagesTest, public ::testing::WithParamInterface<TChangeCase> {};

TEST_P(FavouriteChanges, ApplyOnlyWhenConfirmed) {
    const TChangeCase& c = GetParam();
    Folder.WriteFile(QStringLiteral("data/OkiniList.xml"),
                     "<data><okini><name>A</name><url>http://a/</url><memo/></okini>"
                     "<okini><name>A</name><url>http://a2/</url><memo/></okini></data>");
    auto form = Start();
    const QByteArray fileBefore = Folder.ReadFile(QStringLiteral("data/OkiniList.xml"));
    if (c.ChooserOk)
        Dialogs.OnModalNext(Choose(1));
    else
        Dialogs.OnModalNext([](QDialog&) { return int(QDialog::Rejected); });
    if (!c.Delete)
        Dialogs.OnModalNext(
            Register(QStringLiteral("C"), QStringLiteral("http://c/"), "m", c.Confirm));
    else
        Dialogs.AnswerNext(c.Confirm ? Dialogs::TMsgResult::Yes : Dialogs::TMsgResult::No);
    QTest::mouseClick(c.Delete ? form->Button28 : form->Button27, Qt::LeftButton);

    QStringList entries;
    for (const TOkini* entry : *form->OkiniList)
        entries.append(entry->Name + u'|' + entry->Url);
    EXPECT_EQ(entries, c.Expected);
    EXPECT_EQ(Dialogs.MessageTexts(), c.Questions);
    TOkiniList reread;
    reread.Load();
    EXPECT_EQ(reread.Count(), c.Expected.size());
    const bool changed = c.ChooserOk && c.Confirm;
    EXPECT_EQ(Folder.ReadFile(QStringLiteral("data/OkiniList.xml")) != fileBefore, changed);
    EXPECT_EQ(PlainText(form->WebBrowser2).contains(QStringLiteral("A -")), true);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FavouriteChanges,
    ::testing::Values(
        TChangeCase{"changeTheTickedOfTwoEqualNames",
                    false,
                    true,
                    true,
                    {"A|http://a/", "C|http://c/"},
                    {}},
        TChangeCase{"changeCancelled", false, true, false, {"A|http://a/", "A|http://a2/"}, {}},
        TChangeCase{"chooserCancelled", false, false, true, {"A|http://a/", "A|http://a2/"}, {}},
        TChangeCase{"deleteYes",
                    true,
                    true,
                    true,
                    {"A|http://a/"},
                    {QStringLiteral("A を削除します。よろしいですか？")}},
        TChangeCase{"deleteNo",
                    true,
                    true,
                    false,
                    {"A|http://a/", "A|http://a2/"},
                    {QStringLiteral("A を削除します。よろしいですか？")}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(WebPagesTest, PageThatCannotBeWrittenLeavesTheBrowserBlank) {
    auto form = Start();
    QFile::remove(PageFile());
    Folder.MakeDir(QStringLiteral("data/OkiniList.html"));
    EXPECT_ANY_THROW(form->RefreshOkiniPage());
    EXPECT_EQ(form->WebBrowser2->url(), QUrl(QStringLiteral("about:blank")));
}

TEST_F(WebPagesTest, RefreshStartedDuringARefreshLetsBothEnd) {
    auto form = Start();
    int ended = 0;
    QTimer::singleShot(0, form.get(), [&] {
        form->RefreshOkiniPage();
        ++ended;
    });
    form->RefreshOkiniPage();
    ++ended;
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended == 2; }, 20000));
    form->WebBrowser2->WaitUntilReady();
    EXPECT_EQ(form->WebBrowser2->url(), QUrl::fromLocalFile(PageFile()));
}

TEST_F(WebPagesTest, FirstShowOfTheAlbumOpensHelpOnceAndRemembersIt) {
    {
        auto form = Start();
        form->PageControl1->setCurrentWidget(form->TabSheet2);
        form->PageControl1->setCurrentWidget(form->TabSheet1);
        form->PageControl1->setCurrentWidget(form->TabSheet2);
        EXPECT_EQ(Dialogs.ModalTitles(), QStringList{QStringLiteral("ヘルプ")});
        EXPECT_TRUE(Folder.ReadFile(QStringLiteral("KavroPhoto.ini")).contains("FIRST_STARTING=0"));
    }
    auto form = Start();
    form->PageControl1->setCurrentWidget(form->TabSheet2);
    EXPECT_EQ(Dialogs.ModalTitles().size(), 1);
}

TEST_F(WebPagesTest, HelpButtonOpensTheHelpPage) {
    WriteSettings("[APP]\r\nFIRST_STARTING=0\r\n");
    auto form = Start();
    Dialogs.OnModalNext([](QDialog& window) {
        auto& help = dynamic_cast<TForm41&>(window);
        help.show();
        EXPECT_EQ(help.size(), QSize(455, 500));
        EXPECT_EQ(help.HelpUrl, SiteBaseUrl + QStringLiteral("/help.html"));
        help.WebBrowser1->WaitUntilReady();
        EXPECT_EQ(help.WebBrowser1->url(), QUrl(help.HelpUrl));
        EXPECT_TRUE(PlainText(help.WebBrowser1).contains(QStringLiteral("フォトアルバム")));
        // The page holds the focus and takes Escape for itself; the window still closes.
        QWidget* page =
            help.WebBrowser1->focusProxy() ? help.WebBrowser1->focusProxy() : help.WebBrowser1;
        help.activateWindow();
        page->setFocus();
        QTest::keyClick(page, Qt::Key_Escape);
        EXPECT_FALSE(help.isVisible());
        return int(QDialog::Rejected);
    });
    form->PageControl1->setCurrentWidget(form->TabSheet2);
    QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
    EXPECT_EQ(Dialogs.ModalTitles(), QStringList{QStringLiteral("ヘルプ")});
    EXPECT_EQ(form->BitBtn1->focusPolicy(), Qt::NoFocus);
}

TEST_F(WebPagesTest, WebAndFavouriteTabsCloseTheViewerAndTheAlbumDoesNot) {
    WriteSettings("[APP]\r\nFIRST_STARTING=0\r\n");
    auto form = Start();
    const std::pair<QWidget*, bool> cases[] = {{form->TabSheet2, true},
                                               {form->TabSheet1, false},
                                               {form->TabSheet7, false},
                                               {form->TabSheet6, false}};
    for (const auto& [tab, viewerStays] : cases) {
        form->PageControl1->setCurrentWidget(form->TabSheet2);
        Viewer.show();
        form->PageControl1->setCurrentWidget(tab);
        EXPECT_EQ(Viewer.isVisible(), viewerStays) << tab->objectName().toStdString();
    }
}

class SitePagesTest : public ::testing::TestWithParam<const char*> {};

TEST_P(SitePagesTest, LoadFromTheProgramItself) {
    InstallSitePages();
    TWebBrowser browser;
    browser.Navigate(SiteBaseUrl + QString::fromLatin1(GetParam()));
    browser.WaitUntilReady();
    const QString text = PlainText(&browser);
    if (QString::fromLatin1(GetParam()).endsWith(u".css")) {
        EXPECT_TRUE(text.contains(QStringLiteral(".okini_memo"))) << text.toStdString();
    } else {
        EXPECT_FALSE(browser.title().isEmpty());
        EXPECT_TRUE(text.contains(QStringLiteral("野菜")) ||
                    text.contains(QStringLiteral("ミルトア")))
            << text.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, SitePagesTest,
                         ::testing::Values("/info.html", "/osusume.html", "/help.html",
                                           "/okini.css"));

TEST(SitePages, UnknownOrForeignAddressesAreNotServed) {
    InstallSitePages();
    for (const char* path : {"/missing.html", "/site/okini.css", "/okini.css/"}) {
        TWebBrowser browser;
        browser.Navigate(SiteBaseUrl + QString::fromLatin1(path));
        browser.WaitUntilReady();
        EXPECT_FALSE(PlainText(&browser).contains(QStringLiteral(".okini_memo"))) << path;
    }
    TWebBrowser browser;
    browser.Navigate(QStringLiteral("kavro://other/okini.css"));
    browser.WaitUntilReady();
    EXPECT_FALSE(PlainText(&browser).contains(QStringLiteral(".okini_memo")));
}

TEST(DefaultBrowser, OnlyWebAndMailAddressesLeave) {
    const std::pair<const char*, bool> cases[] = {
        {"http://a/", true},           {"HTTPS://a/b?c", true},
        {"mailto:a@b", true},          {"javascript:alert(1)", false},
        {"file:///etc/passwd", false}, {"kavro://site/help.html", false},
        {"ftp://a/", false},           {"", false}};
    QList<QUrl> opened;
    const TOpenUrlHandler old = SetOpenUrlHandler([&](const QUrl& url) { opened.append(url); });
    for (const auto& [address, leaves] : cases) {
        opened.clear();
        OpenInDefaultBrowser(QUrl(QString::fromLatin1(address)));
        EXPECT_EQ(opened.size(), leaves ? 1 : 0) << address;
    }
    SetOpenUrlHandler(old);
}

// A locked browser showing a page, and the addresses that its links hand to the default browser.
class TLockedPage {
public:
    explicit TLockedPage(const QString& page)
        : FOld(SetOpenUrlHandler([this](const QUrl& url) { Opened.append(url); })) {
        Browser.LockDown();
        Browser.resize(300, 300);
        Browser.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&Browser));
        Browser.Navigate(page);
        Browser.WaitUntilReady();
    }
    ~TLockedPage() { SetOpenUrlHandler(FOld); }
    TLockedPage(const TLockedPage&) = delete;
    TLockedPage& operator=(const TLockedPage&) = delete;

    QList<QUrl> Opened;
    TWebBrowser Browser;

private:
    TOpenUrlHandler FOld;
};

TEST(DefaultBrowser, BlankLinksOfALockedPageReachTheHookAndScriptLinksDoNot) {
    InstallSitePages();
    TTestFolder folder;
    const QString page =
        folder.WriteFile(QStringLiteral("links.html"),
                         "<html><body style=\"margin:0\">"
                         "<a href=\"http://example.invalid/x\" target=\"_blank\" "
                         "style=\"display:block;height:100px\">web</a>"
                         "<a href=\"javascript:document.title='ran'\" target=\"_blank\" "
                         "style=\"display:block;height:100px\">script</a></body></html>");
    TLockedPage locked(page);
    QWidget* surface = locked.Browser.focusProxy();
    ASSERT_NE(surface, nullptr);
    QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(20, 150));
    QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(20, 50));
    EXPECT_TRUE(QTest::qWaitFor([&] { return locked.Opened.size() >= 1; }, 10000));
    QTest::qWait(300);
    EXPECT_EQ(locked.Opened, QList<QUrl>{QUrl(QStringLiteral("http://example.invalid/x"))});
    EXPECT_NE(locked.Browser.title(), QStringLiteral("ran"));
    EXPECT_EQ(locked.Browser.url(), QUrl::fromLocalFile(page));
}

TEST(DefaultBrowser, LinkWithoutASchemeIsAWebAddress) {
    const QUrl page(QStringLiteral("file:///p/data/OkiniList.html"));
    const std::pair<const char*, const char*> cases[] = {
        {"file:///p/data/www.example.jp", "http://www.example.jp"},
        {"file:///p/data/www.example.jp/a%20b?q=1#f", "http://www.example.jp/a%20b?q=1#f"},
        {"file:///p/data/example.jp:8080/x", "http://example.jp:8080/x"},
        // The page itself (an empty address), a file elsewhere and addresses with a scheme stay.
        {"file:///p/data/OkiniList.html", "file:///p/data/OkiniList.html"},
        {"file:///p/data/OkiniList.html#top", "file:///p/data/OkiniList.html#top"},
        {"file:///etc/passwd", "file:///etc/passwd"},
        {"http://a/b", "http://a/b"},
        {"mailto:a@b", "mailto:a@b"},
    };
    for (const auto& [link, expected] : cases) {
        EXPECT_EQ(LinkAddress(QUrl(QString::fromLatin1(link)), page),
                  QUrl(QString::fromLatin1(expected)))
            << link;
    }
    EXPECT_EQ(LinkAddress(QUrl(QStringLiteral("file:///p/data/%E7%95%91.jp")), page),
              QUrl(QStringLiteral("http://畑.jp")));
    // A page that is no file has no links to mend.
    const QUrl own(QStringLiteral("kavro://site/help.html"));
    EXPECT_EQ(LinkAddress(QUrl(QStringLiteral("file:///p/x")), own),
              QUrl(QStringLiteral("file:///p/x")));
}

// A locked page is never replaced: a refresh is refused, links with or without a target open in
// the default browser (web and mail addresses only, an address without a scheme as http), and
// every other link does nothing.
TEST(DefaultBrowser, LockedPageNeverLeavesAndItsLinksOpenOutside) {
    InstallSitePages();
    TTestFolder folder;
    // A program folder whose path needs escaping in an address.
    folder.WriteFile(QStringLiteral("畑 #1/other.html"), "<html><body>other</body></html>");
    QByteArray body =
        "<html><head><meta http-equiv=\"refresh\" content=\"0;url=other.html\">"
        "</head><body style=\"margin:0\">";
    const char* const links[] = {
        "href=\"http://example.invalid/a\"",
        "href=\"www.example.jp/b?c=1\" target=\"_blank\"",
        "href=\"www.example.jp\"",
        "href=\"file:///etc/passwd\"",
        "href=\"ftp://example.invalid/\" target=\"_blank\"",
        "href=\"other.html#x\" target=\"_self\"",
    };
    for (const char* link : links)
        body += QByteArray("<a ") + link + " style=\"display:block;height:40px\">link</a>";
    const QString page =
        folder.WriteFile(QStringLiteral("畑 #1/links.html"), body + "</body></html>");
    TLockedPage locked(page);
    QTest::qWait(300);
    QWidget* surface = locked.Browser.focusProxy();
    ASSERT_NE(surface, nullptr);
    for (int i = 0; i < int(std::size(links)); ++i)
        QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(20, 20 + 40 * i));
    QList<QUrl>& opened = locked.Opened;
    EXPECT_TRUE(QTest::qWaitFor([&] { return opened.size() >= 4; }, 10000));
    QTest::qWait(300);
    std::sort(opened.begin(), opened.end(),
              [](const QUrl& a, const QUrl& b) { return a.toString() < b.toString(); });
    EXPECT_EQ(opened, (QList<QUrl>{QUrl(QStringLiteral("http://example.invalid/a")),
                                   QUrl(QStringLiteral("http://other.html#x")),
                                   QUrl(QStringLiteral("http://www.example.jp")),
                                   QUrl(QStringLiteral("http://www.example.jp/b?c=1"))}));
    EXPECT_EQ(locked.Browser.url(), QUrl::fromLocalFile(page));
}

}  // namespace
