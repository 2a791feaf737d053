#pragma once

#include "platform/gdi/Bitmap.h"

// The system clipboard's picture, through the clipboard of Qt's application object: on X11 that
// is the CLIPBOARD selection, offered to other programs as image/png, image/bmp and the other
// image types Qt writes. Both calls need the process's QGuiApplication (or QApplication) and
// run on its thread; elsewhere they fail. Other programs are served while that thread runs its
// event loop; the picture is gone from the clipboard when the process ends, unless a clipboard
// manager took it over.
namespace display {

// SetClipboardData(CF_BITMAP): the clipboard now holds a copy of `picture`. True when the
// clipboard offers it. Qt claims the selection with the time of the last window-system event it
// handled: when another program took the clipboard after that and this thread has not run its
// event loop since, the server refuses the claim and the answer is false.
bool SetClipboardBitmap(const gdi::Bitmap& picture);

// GetClipboardData(CF_BITMAP): a copy of the clipboard's picture as a compatible bitmap (alpha
// dropped); the clipboard keeps its own. Null when the clipboard holds no picture, the picture is
// past the limits of platform/gdi/Limits.h, or there is no application object on this thread.
// When another program owns the clipboard this waits for its answer, at most Qt's clipboard
// time-out (a few seconds).
gdi::BitmapHandle ClipboardBitmap();

}  // namespace display
