#include "app/SongFileNames.h"

#include "platform/codepage/CodePage.h"
#include "platform/files/SafeFileName.h"

namespace app {
namespace {

std::string LowerAscii(std::string name) {
    for (char& c : name) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return name;
}

}  // namespace

std::string SongFileNames::Next(const Text& songName) {
    const std::string name = codepage::Utf8FromGbk(songName);
    for (int copy = 1;; ++copy) {
        const std::string counter = copy == 1 ? "" : " (" + std::to_string(copy) + ")";
        std::string candidate = files::SafeFileName(name, "1" + counter + ".m4a");
        if (taken_.insert(LowerAscii(candidate)).second) return candidate;
    }
}

}  // namespace app
