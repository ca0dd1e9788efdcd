// Feedloom's entry point: the start-up sequence of a single-instance desktop program.
#include <csignal>

#include "app/application.h"
#include "platform/locations.h"
#include "platform/qt/qt_services.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/single_instance.h"

int main(int argc, char** argv) {
    // A write past the file-size limit fails with EFBIG and is reported like any other
    // write error, instead of the signal ending the program silently with its temporary
    // file left behind.
    std::signal(SIGXFSZ, SIG_IGN);
    // 1. Another instance holds the lock: end at once, silently.
    if (TNamedMutex::Exists(InstanceLockName())) return 0;
    // 2. Take the lock; losing a race to a second start also ends silently.
    TNamedMutex Mutex;
    if (!Mutex.Create(InstanceLockName())) return 0;
    // An installed program keeps its files in the user's folders; make them on first use.
    if (const TFileLocations& Where = ProgramFileLocations(); Where.Installed) {
        ForceDirectories(Where.DataFolder);
        ForceDirectories(Where.ConfigFolder);
    }
    // 3. The application object.
    qtbackend::TQtToolkit Toolkit(argc, argv);
    SetUiToolkit(&Toolkit);
    qtbackend::InstallQtServices();
    {
        // 4. The four windows, in their order.
        TFeedloomApplication App(Toolkit);
        App.CreateForms();
        // 5. The message loop, until the main window closes.
        App.Run();
    }
    SetUiToolkit(nullptr);
    // 6. Release the lock.
    Mutex.Release();
    return 0;
}
