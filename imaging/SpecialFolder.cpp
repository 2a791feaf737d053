#include "imaging/SpecialFolder.h"

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <string_view>

#include "platform/codepage/CodePage.h"

namespace imaging {
namespace {

// The shell's folder numbers that have a counterpart here.
enum Csidl : int {
    kPrograms = 2,
    kPersonal = 5,
    kFavorites = 6,
    kStartup = 7,
    kStartMenu = 11,
    kDesktopDirectory = 16,
    kFonts = 20,
    kAppData = 26,
    kInternetCache = 32,
    kCommonAppData = 35,
    kWindows = 36,
    kSystem = 37,
};

constexpr int kTemporaryType = 11;
constexpr int kCsidlOfType[] = {kPersonal, kFavorites,     kDesktopDirectory, kFonts,   kStartMenu,
                                kPrograms, kStartup,       kAppData,          kWindows, kSystem,
                                -1,        kInternetCache, kCommonAppData};

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string Home() { return Env("HOME"); }

// An XDG base folder: the variable when it holds an absolute path, else home + fallback.
std::string XdgBase(const char* variable, std::string_view fallback) {
    const std::string value = Env(variable);
    if (!value.empty() && value.front() == '/') return value;
    const std::string home = Home();
    return home.empty() ? std::string() : home + "/" + std::string(fallback);
}

// A folder named in user-dirs.dirs (XDG_DESKTOP_DIR="$HOME/Desktop"), else home + fallback.
std::string UserDir(std::string_view key, std::string_view fallback) {
    const std::string home = Home();
    const std::string config = XdgBase("XDG_CONFIG_HOME", ".config");
    if (!config.empty()) {
        std::ifstream file(config + "/user-dirs.dirs");
        std::string line;
        while (std::getline(file, line)) {
            const std::string prefix = std::string(key) + "=\"";
            if (line.rfind(prefix, 0) != 0 || line.size() < prefix.size() + 1 ||
                line.back() != '"') {
                continue;
            }
            std::string value = line.substr(prefix.size(), line.size() - prefix.size() - 1);
            if (value.rfind("$HOME", 0) == 0) {
                if (home.empty()) return {};
                value = home + value.substr(5);
            }
            if (!value.empty() && value.front() == '/') return value;
        }
    }
    return home.empty() ? std::string() : home + "/" + std::string(fallback);
}

std::string FirstDataDir() {
    std::string dirs = Env("XDG_DATA_DIRS");
    if (dirs.empty()) dirs = "/usr/local/share/:/usr/share/";
    return dirs.substr(0, dirs.find(':'));
}

std::string FolderOf(int csidl) {
    switch (csidl) {
        case kPersonal:
            return UserDir("XDG_DOCUMENTS_DIR", "Documents");
        case kDesktopDirectory:
            return UserDir("XDG_DESKTOP_DIR", "Desktop");
        case kFonts: {
            const std::string data = XdgBase("XDG_DATA_HOME", ".local/share");
            return data.empty() ? data : data + "/fonts";
        }
        case kStartMenu:
        case kPrograms: {
            const std::string data = XdgBase("XDG_DATA_HOME", ".local/share");
            return data.empty() ? data : data + "/applications";
        }
        case kStartup: {
            const std::string config = XdgBase("XDG_CONFIG_HOME", ".config");
            return config.empty() ? config : config + "/autostart";
        }
        case kAppData:
            return XdgBase("XDG_DATA_HOME", ".local/share");
        case kInternetCache:
            return XdgBase("XDG_CACHE_HOME", ".cache");
        case kCommonAppData:
            return FirstDataDir();
        default:
            return {};
    }
}

std::string WithSlash(std::string path) {
    if (!path.empty() && path.back() != '/') path += '/';
    return path;
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string SpecialFolderUtf8(const SpecialFolderArgs& args) {
    int csidl = 0;
    if (args.csidl) {
        csidl = *args.csidl;
    } else {
        const int type = (args.type < 1 || args.type > 13) ? 3 : args.type;
        if (type == kTemporaryType) {
            const std::string folder = Env("TMPDIR");
            return WithSlash(folder.empty() ? std::string("/tmp") : folder);
        }
        csidl = kCsidlOfType[type - 1];
    }
    const std::string folder = FolderOf(csidl);
    return IsFolder(folder) ? WithSlash(folder) : std::string();
}

Text SpecialFolder(const SpecialFolderArgs& args) {
    return codepage::GbkFromUtf8(SpecialFolderUtf8(args));
}

}  // namespace imaging
