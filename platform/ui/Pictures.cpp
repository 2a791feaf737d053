#include "platform/ui/Pictures.h"

#include <mutex>

#include <QString>

// Q_INIT_RESOURCE declares its function in the enclosing namespace, so it must stand at global
// scope. The resource lives in a static library, whose unreferenced objects the linker would
// otherwise drop.
static void LoadPictureResource() { Q_INIT_RESOURCE(pictures); }

namespace {

QPixmap Load(const char* name) {
    static std::once_flag once;
    std::call_once(once, LoadPictureResource);
    return QPixmap(QStringLiteral(":/pictures/") + QString::fromLatin1(name));
}

}  // namespace

namespace ui {

QPixmap BackgroundPicture() { return Load("background.png"); }
QPixmap IconPicture() { return Load("icon.png"); }
QPixmap UidHelpPicture() { return Load("uid_help.png"); }

}  // namespace ui
