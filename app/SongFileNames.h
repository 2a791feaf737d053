#pragma once

#include <set>
#include <string>

#include "text/core/Text.h"

namespace app {

// The file names of one download run: a song name (GBK, from the network) becomes a single file
// name, safe on Linux and Windows, ending in "1.m4a" as the songs have always been named
// ("abc" gives "abc1.m4a"). A name already handed out in this run (compared ignoring ASCII case,
// as Windows does) gets a counter before the extension, "abc1 (2).m4a", so two rows never write
// the same file. Names are UTF-8 as they go on disk. One thread at a time.
class SongFileNames {
public:
    std::string Next(const Text& songName);

private:
    std::set<std::string> taken_;  // lower-cased
};

}  // namespace app
