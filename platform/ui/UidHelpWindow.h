#pragma once

#include <QDialog>

namespace ui {

// The picture window that shows where a user's UID stands in the address of the user's page:
// at (50, 50), 800 x 450, no caption text, one picture box `图片框1` at (8, 16), 720 x 392,
// holding the 1366 x 736 picture fitted into it. No events are bound in it.
// Thread: the window's thread only.
class UidHelpWindow : public QDialog {
    Q_OBJECT

public:
    explicit UidHelpWindow(QWidget* parent = nullptr);
};

}  // namespace ui
