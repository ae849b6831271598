// Refreshing the favourite sites page with 1,000 entries through the main window's
// RefreshOkiniPage (blank page, page written, page loaded, both loads waited for), against the
// floor measured in the same run: two plain loads in a QWebEngineView of the same size, about:blank
// and then the same page, written beforehand. Rounds alternate which goes first; the figure is
// the median of the rounds' ratios.

#include <QEventLoop>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QWebEngineView>
#include <cstdio>

#include "app/Startup.h"
#include "app/Unit31.h"
#include "app/Unit32.h"
#include "app/WebBrowser.h"
#include "bench/support/BenchSupport.h"
#include "model/KavroUtils.h"
#include "platform/AtomicFile.h"
#include "platform/KavroApplication.h"
#include "platform/ProgramDir.h"

namespace {

constexpr int Entries = 1000;
constexpr int Rounds = 15;
constexpr double Target = 1.3;

void LoadAndWait(QWebEngineView& view, const QUrl& url) {
    QEventLoop loop;
    QObject::connect(&view, &QWebEngineView::loadFinished, &loop, &QEventLoop::quit);
    view.load(url);
    loop.exec();
}

}  // namespace

int main(int argc, char** argv) {
    Bench::UseOffscreenPlatform();
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--log-level=3");
    Startup::PrepareWebEngine();
    TKavroApplication app(argc, argv);
    QTemporaryDir folder;
    if (!folder.isValid())
        Bench::Die("bench_okini_page", "no temporary folder");
    SetProgramDir(folder.path());
    const int& messages = Bench::CountMessages();

    TForm31 form;
    TForm32 viewer;
    form.Form32 = &viewer;
    form.show();
    for (int i = 0; i < Entries; ++i) {
        form.OkiniList->Add(std::make_unique<TOkini>(
            TOkini{QStringLiteral("家庭菜園のサイト %1").arg(i + 1),
                   QStringLiteral("https://example.invalid/garden/%1/").arg(i + 1),
                   QStringLiteral("トマトやナスの育て方について詳しく書かれている %1").arg(i)}));
    }
    form.PageControl1->setCurrentWidget(form.TabSheet6);

    const QString floorPage = folder.path() + QStringLiteral("/floor.html");
    WriteFileAtomically(floorPage,
                        OkiniPageBytes(*form.OkiniList, QStringLiteral("kavro://site/okini.css")));
    QWebEngineView plain;
    plain.resize(form.WebBrowser2->size());
    plain.show();
    const auto floor = [&] {
        LoadAndWait(plain, QUrl(QStringLiteral("about:blank")));
        LoadAndWait(plain, QUrl::fromLocalFile(floorPage));
    };
    const auto refresh = [&] { form.RefreshOkiniPage(); };

    floor();
    refresh();
    const Bench::TRounds rounds =
        Bench::AlternateRounds(Rounds, floor, refresh, [](int i, double f, double s) {
            std::printf("round %d: floor %.1f ms, refresh %.1f ms, ratio %.3f\n", i + 1, f * 1e3,
                        s * 1e3, s / f);
        });
    if (messages != 0)
        Bench::Die("bench_okini_page", "a message box was shown");
    std::printf("okini_page ratio %.2f (target %.2f)\n", rounds.MedianRatio(), Target);
    return 0;
}
