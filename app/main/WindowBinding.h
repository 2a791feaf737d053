#pragma once

#include "app/Application.h"
#include "platform/ui/MainWindow.h"

namespace app {

// The main window's events bound to the application's handlers. Closing the window stops the
// workers through Shutdown and stores its result in `*workersEnded` (not null; false means a walk
// is still inside a request and the process should end without waiting for it). `logic` and
// `workersEnded` must outlive the window's use of the handlers. Window's thread.
ui::MainWindowHandlers HandlersFor(Application& logic, bool* workersEnded);

}  // namespace app
