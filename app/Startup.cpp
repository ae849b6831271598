#include "app/Startup.h"

#include <unistd.h>

#include <QApplication>
#include <QIcon>

#include "app/SitePages.h"
#include "app/Unit31.h"
#include "app/Unit32.h"
#include "platform/Dialogs.h"
#include "platform/Exception.h"
#include "platform/ProgramDir.h"
#include "platform/SingleInstanceLock.h"

// The icons live in this static library; the linker keeps them only when referenced. The macro
// declares a global function, so this stays outside any namespace.
static void InitStartupIcons() {
    Q_INIT_RESOURCE(icons);
}

namespace Startup {

void SetProgramIcon() {
    InitStartupIcons();
    QIcon icon;
    for (const char* size : {"32", "64", "256"})
        icon.addFile(QStringLiteral(":/icons/kavrophoto-%1.png").arg(QLatin1String(size)));
    QApplication::setWindowIcon(icon);
}

void PrepareWebEngine() {
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // The web views share their rendering context with the windows; Qt wants this set before the
    // application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    PrepareSitePages();
}

bool ClaimSingleInstance(TSingleInstanceLock& lock) {
    if (lock.TryAcquire())
        return true;
    Dialogs::ShowWarning(QStringLiteral("ソラリノシリーズが起動中です。"));
    return false;
}

bool PrepareProgramDir() {
    try {
        MakeProgramDir();
        return true;
    } catch (const std::exception& error) {
        Dialogs::ShowMessage(ErrorMessage(error));
        return false;
    }
}

int RunMainWindow() {
    TForm31 mainWindow;
    TForm32 viewer;
    mainWindow.Form32 = &viewer;
    viewer.AlbumPage = &mainWindow;
    mainWindow.show();
    return QApplication::exec();
}

}  // namespace Startup
