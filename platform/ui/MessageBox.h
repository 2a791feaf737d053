#pragma once

#include "text/core/Text.h"

namespace ui {

// A message to the operator: the text alone, the caption "信息：", one OK button, no owner
// window, application-modal. Returns when the operator has pressed OK or closed the box.
// Thread: the window's thread only.
void ShowMessageBox(const Text& text);

}  // namespace ui
