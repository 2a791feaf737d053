#pragma once

#include <filesystem>
#include <ostream>
#include <span>
#include <stop_token>
#include <string>

namespace cli {

// What the command line runs in, apart from its arguments.
struct CliEnvironment {
    // The service's web host ("host" or "host:port"). The shipped program passes the host fixed
    // at build time (app::ServiceHost()); tests pass their loopback service.
    std::string serviceHost;
    // The folder "K歌歌曲" is made in by default and a relative "-o DIR" starts from: the
    // process's current directory.
    std::filesystem::path currentDirectory;
    // Standard error is a terminal of this many columns: progress as a bar drawn in place.
    // Otherwise progress comes as plain lines.
    bool errIsTerminal = false;
    int terminalColumns = 80;
    // Triggered from any thread to stop the command as Ctrl-C does.
    std::stop_token interrupt;
};

inline constexpr int kExitDone = 0;
inline constexpr int kExitSongsFailed = 1;  // also: the output could not be written
inline constexpr int kExitUsage = 2;        // bad usage or a bad UID
inline constexpr int kExitInterrupted = 130;

// Runs one command line of karaoke-downloader-cli (`args` without the program's name) with the
// application logic of the window behind a terminal realisation of its window: results go to
// `out`, messages and progress to `err`, all UTF-8. Returns the exit status.
//
// An interrupt stops the running walk or download (a transfer is aborted and its partial file
// removed) and returns kExitInterrupted. When the walk is then still inside a feed request that
// cannot be interrupted, its worker is left behind writing nothing: the process should end
// without running static destructors (std::_Exit after flushing).
//
// Thread: the calling thread is the window's thread of the application; it needs no component
// apartment of its own (one is entered for the run).
int RunCli(std::span<const std::string> args, std::ostream& out, std::ostream& err,
           const CliEnvironment& env);

}  // namespace cli
