// karaoke-downloader: the main window with the application logic behind it.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <QApplication>

#include "app/Application.h"
#include "app/ServiceHost.h"
#include "app/main/WindowBinding.h"
#include "platform/com/Apartment.h"
#include "platform/ui/Display.h"
#include "platform/ui/MainWindow.h"

int main(int argc, char** argv) {
    if (!ui::DisplayAvailable()) {
        std::fprintf(stderr,
                     "karaoke-downloader: no display to show the window on; start it in a "
                     "desktop session (DISPLAY or WAYLAND_DISPLAY set) or under xvfb-run\n");
        return 1;
    }
    QApplication application(argc, argv);
    ComInitialize();  // the window thread's component apartment, for the lookup

    ui::MainWindow window;
    app::Application logic(window.Ops(),
                           app::ApplicationConfig{.serviceHost = std::string(app::ServiceHost())});
    bool workersEnded = true;
    window.SetHandlers(app::HandlersFor(logic, &workersEnded));
    window.show();
    const int status = application.exec();
    if (!workersEnded) {
        // A worker did not end within the grace time although its requests were aborted. The
        // walk writes no file and a download removes its partial file on abort, so the process
        // ends now instead of waiting for it.
        std::fflush(nullptr);
        std::_Exit(status);
    }
    ComUninitialize();
    return status;  // ~Application releases the globals
}
