#include "cli/CliArguments.h"

#include <string>
#include <vector>

namespace cli {
namespace {

std::optional<Command> CommandNamed(std::string_view name) {
    if (name == "lookup") return Command::Lookup;
    if (name == "list") return Command::List;
    if (name == "download") return Command::Download;
    return std::nullopt;
}

}  // namespace

std::optional<CliRequest> ParseArguments(std::span<const std::string> args, std::string* problem) {
    for (const std::string& arg : args) {
        if (arg == "--") break;
        if (arg == "-h" || arg == "--help") return CliRequest{.command = Command::Help};
        if (arg == "-V" || arg == "--version") return CliRequest{.command = Command::Version};
    }

    CliRequest request;
    std::vector<std::string> positional;
    bool jsonGiven = false;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            positional.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--json") {
            jsonGiven = true;
        } else if (arg == "-o" || arg == "--output") {
            if (i + 1 == args.size()) {
                *problem = "option '" + arg + "' needs a folder";
                return std::nullopt;
            }
            request.outputFolder = args[++i];
        } else if (arg.starts_with("--output=")) {
            request.outputFolder = arg.substr(9);
        } else if (arg.starts_with("-o")) {
            request.outputFolder = arg.substr(2);
        } else {
            *problem = "unknown option '" + arg + "'";
            return std::nullopt;
        }
    }

    if (positional.empty()) {
        *problem = "no command given";
        return std::nullopt;
    }
    const std::optional<Command> command = CommandNamed(positional[0]);
    if (!command) {
        *problem = "unknown command '" + positional[0] + "'";
        return std::nullopt;
    }
    request.command = *command;
    if (positional.size() < 2) {
        *problem = "'" + positional[0] + "' needs a UID";
        return std::nullopt;
    }
    if (positional.size() > 2) {
        *problem = "unexpected argument '" + positional[2] + "'";
        return std::nullopt;
    }
    request.uid = positional[1];
    if (jsonGiven && request.command != Command::List) {
        *problem = "option '--json' belongs to 'list'";
        return std::nullopt;
    }
    request.json = jsonGiven;
    if (request.outputFolder && request.command != Command::Download) {
        *problem = "option '-o' belongs to 'download'";
        return std::nullopt;
    }
    if (request.outputFolder && request.outputFolder->empty()) {
        *problem = "option '-o' needs a folder";
        return std::nullopt;
    }
    return request;
}

std::string_view HelpText() {
    return R"(Usage: karaoke-downloader-cli COMMAND UID [OPTIONS]

Backs up the songs one user of the karaoke service has published, with the same user lookup,
song walk and download as the karaoke-downloader window.

Commands:
  lookup UID             show the user's nickname, song count and number of feed pages
  list UID [--json]      list the user's songs: number, name and link, tab-separated;
                         with --json one JSON object per line
  download UID [-o DIR]  download every song as an .m4a file into DIR
                         (default: "K歌歌曲" in the current directory)

Options:
  -o, --output DIR       the folder to download into (download)
      --json             JSON lines instead of columns (list)
  -h, --help             show this help and exit
  -V, --version          show the version and exit

The UID is the 16 characters after "uid=" and before the next "&" in the address of the
user's page on the service.

Progress and messages go to standard error; on a terminal the download shows a progress bar.

Exit status: 0 when everything asked for was done, 1 when some songs failed, 2 for bad usage or
a bad UID, 130 when interrupted (Ctrl-C; partly downloaded files are removed).
)";
}

}  // namespace cli
