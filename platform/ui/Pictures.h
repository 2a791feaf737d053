#pragma once

#include <QPixmap>

namespace ui {

// The pictures built into the program (drawn by resources/generator). Thread: the window's
// thread, after the QApplication exists. A picture that cannot be loaded is a null pixmap.
QPixmap BackgroundPicture();  // 800 x 450, behind the main window's controls
QPixmap IconPicture();        // 32 x 32, the windows' icon
QPixmap UidHelpPicture();     // 1366 x 736, how to find a user's UID

}  // namespace ui
