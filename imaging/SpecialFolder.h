#pragma once

#include <optional>
#include <string>

#include "text/core/Text.h"

namespace imaging {

struct SpecialFolderArgs {
    // 1 documents, 2 favourites, 3 desktop, 4 fonts, 5 start menu, 6 programs, 7 start-up,
    // 8 application data, 9 system root, 10 system files, 11 temporary files, 12 internet cache,
    // 13 shared application data; any other number counts as 3.
    int type = 3;
    // A folder number of the shell (CSIDL) instead of the type, when given.
    std::optional<int> csidl{};
};

// A well-known folder of the user's as GBK text ending in "/", or the empty text when there is
// none here. The temporary folder (type 11) is $TMPDIR when it is set and not empty, else /tmp,
// whether or not it exists. The others map to the user's XDG folders: documents and desktop from
// user-dirs.dirs (else ~/Documents and ~/Desktop), fonts ~/.local/share/fonts, start menu and
// programs ~/.local/share/applications, start-up ~/.config/autostart, application data
// $XDG_DATA_HOME, internet cache $XDG_CACHE_HOME, shared application data the first folder of
// $XDG_DATA_DIRS; each only when it exists. Favourites and the system folders have no counterpart
// and give the empty text, as does any other CSIDL. Thread-safe as long as nobody changes the
// environment meanwhile.
Text SpecialFolder(const SpecialFolderArgs& args);

// The same folder as a UTF-8 path, for use on disk without a round trip through GBK.
std::string SpecialFolderUtf8(const SpecialFolderArgs& args);

}  // namespace imaging
