#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace cli {

enum class Command { Help, Version, Lookup, List, Download };

// What the command line asks for.
struct CliRequest {
    Command command = Command::Help;
    std::string uid;                          // UTF-8, exactly as given (lookup, list, download)
    bool json = false;                        // list: JSON lines instead of columns
    std::optional<std::string> outputFolder;  // download: -o DIR, as given
};

// Reads the arguments (without the program's name). "-h"/"--help" or "-V"/"--version" anywhere
// before "--" wins over everything else. Otherwise: a command, its UID and its options in any
// order; "--" ends the options. On bad usage: nullopt and, in `*problem` (not null), what is
// wrong, as one line in English.
std::optional<CliRequest> ParseArguments(std::span<const std::string> args, std::string* problem);

// The text of --help (UTF-8, ends with a line break).
std::string_view HelpText();

}  // namespace cli
