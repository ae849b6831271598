// The program's start as the user sees it: from the process's start to the main window shown,
// its start-up sequence run (settings, save folders, the web tabs started, the favourite sites
// page written and loaded) and its first paint done, on the offscreen platform. The floor,
// measured in the same run: a bare Qt window holding one QWebEngineView that loads
// "about:blank", from its process's start to that load's end and the window's first paint. Each
// start is a fresh process (Chromium starts once per process); rounds alternate which goes
// first, and the figure is the median of the rounds' ratios.

#include <unistd.h>

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <chrono>
#include <cstdio>

#include "app/Startup.h"
#include "app/Unit31.h"
#include "app/Unit32.h"
#include "bench/support/BenchSupport.h"
#include "platform/KavroApplication.h"
#include "platform/ProgramDir.h"
#include "platform/SingleInstanceLock.h"

namespace {

constexpr int Rounds = 5;
constexpr double Target = 1.3;

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Notes the first paint of a window.
class TPaintWatch : public QObject {
public:
    bool Painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            Painted = true;
        return QObject::eventFilter(watched, event);
    }
};

void WaitFor(const bool& done) {
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Prints the seconds since the parent started this process, and ends without tearing down.
[[noreturn]] void Report(double started) {
    std::printf("%.6f\n", Now() - started);
    std::fflush(stdout);
    ::_exit(0);
}

[[noreturn]] void RunFloor(int argc, char** argv, double started) {
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* view = new QWebEngineView(&window);
    layout->addWidget(view);
    window.resize(738, 700);
    TPaintWatch paint;
    window.installEventFilter(&paint);
    bool loaded = false;
    QObject::connect(view, &QWebEngineView::loadFinished, [&] { loaded = true; });
    view->load(QUrl(QStringLiteral("about:blank")));
    window.show();
    WaitFor(loaded);
    WaitFor(paint.Painted);
    Report(started);
}

[[noreturn]] void RunProgram(int argc, char** argv, double started, const QString& folder) {
    Startup::PrepareWebEngine();
    TKavroApplication app(argc, argv);
    SetProgramDir(folder);
    Bench::CountMessages();
    // The lock is taken as the program takes it; a copy of the program running elsewhere on the
    // machine must not stop the measurement.
    TSingleInstanceLock lock;
    lock.TryAcquire();
    TForm31 form;
    TForm32 viewer;
    form.Form32 = &viewer;
    TPaintWatch paint;
    form.installEventFilter(&paint);
    form.show();  // runs the start-up sequence, waiting for the favourites page
    WaitFor(paint.Painted);
    Report(started);
}

double RunChild(const char* self, const char* mode, const QString& folder) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const double started = Now();
    child.start(QString::fromLocal8Bit(self),
                {QString::fromLatin1(mode), QString::number(started, 'f', 6), folder});
    if (!child.waitForFinished(120000) || child.exitCode() != 0)
        Bench::Die("bench_startup", "a start did not finish");
    return child.readAllStandardOutput().trimmed().toDouble();
}

}  // namespace

int main(int argc, char** argv) {
    Bench::UseOffscreenPlatform();
    // Chromium's own chatter on the error stream would bury the figures.
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--log-level=3");
    if (argc == 4) {
        const double started = QByteArray(argv[2]).toDouble();
        int childArgc = 1;
        if (QByteArray(argv[1]) == "floor")
            RunFloor(childArgc, argv, started);
        RunProgram(childArgc, argv, started, QString::fromLocal8Bit(argv[3]));
    }
    QTemporaryDir folder;
    if (!folder.isValid())
        Bench::Die("bench_startup", "no temporary folder");
    const QString dir = folder.path() + u'/';
    // One untimed start of each warms the page cache with the libraries.
    RunChild(argv[0], "floor", dir);
    RunChild(argv[0], "program", dir);
    std::vector<double> ratios;
    for (int round = 0; round < Rounds; ++round) {
        double floor = 0, program = 0;
        if (round % 2 == 0) {
            floor = RunChild(argv[0], "floor", dir);
            program = RunChild(argv[0], "program", dir);
        } else {
            program = RunChild(argv[0], "program", dir);
            floor = RunChild(argv[0], "floor", dir);
        }
        ratios.push_back(program / floor);
        std::printf("round %d: floor %.3f s, program %.3f s, ratio %.3f\n", round + 1, floor,
                    program, program / floor);
    }
    std::printf("startup ratio %.2f (target %.2f)\n", Bench::Median(ratios), Target);
    return 0;
}
