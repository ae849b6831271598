// The program entry: one program of the family at a time, then the main window.
#include "app/Startup.h"
#include "platform/KavroApplication.h"
#include "platform/SingleInstanceLock.h"

int main(int argc, char** argv) {
    Startup::PrepareWebEngine();
    TKavroApplication application(argc, argv);
    // Held until the process ends; the kernel frees it when the process goes, however it goes.
    TSingleInstanceLock lock;
    if (!Startup::ClaimSingleInstance(lock))
        return 0;
    if (!Startup::PrepareProgramDir())
        return 1;
    Startup::SetProgramIcon();
    return Startup::RunMainWindow();
}
