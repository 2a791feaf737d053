#include "platform/shell/OpenAddress.h"

#include <cctype>
#include <string>
#include <thread>

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace shell {
namespace {

bool StartsWithIgnoreCase(std::string_view in, std::string_view prefix) {
    if (in.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(in[i])) != prefix[i]) return false;
    }
    return true;
}

}  // namespace

bool IsWebAddress(std::string_view address) {
    std::string_view rest;
    if (StartsWithIgnoreCase(address, "http://")) {
        rest = address.substr(7);
    } else if (StartsWithIgnoreCase(address, "https://")) {
        rest = address.substr(8);
    } else {
        return false;
    }
    if (rest.empty()) return false;
    for (char c : address) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F) return false;
    }
    return true;
}

bool OpenWebAddress(std::string_view address) {
    if (!IsWebAddress(address)) return false;
    std::string program = "xdg-open";
    std::string argument(address);
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t child = 0;
    if (::posix_spawnp(&child, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
        return false;
    }
    // The opener may outlive the call (some start the browser in the foreground): reap it
    // without making the caller wait.
    std::thread([child] { ::waitpid(child, nullptr, 0); }).detach();
    return true;
}

}  // namespace shell
