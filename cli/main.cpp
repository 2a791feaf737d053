// karaoke-downloader-cli: the downloader's lookup, walk and download from a terminal.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include <sys/ioctl.h>
#include <unistd.h>

#include "app/ServiceHost.h"
#include "cli/InterruptSignals.h"
#include "cli/RunCli.h"

namespace {

// How long a stopped command may take to end (a download's stop is prompt; a lookup may wait in
// a request) before the process ends without it.
constexpr std::chrono::seconds kStopGrace(3);

int TerminalColumns() {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

}  // namespace

int main(int argc, char** argv) {
    // First, before any other thread exists: every later thread inherits the blocked signals.
    cli::InterruptSignals signals(kStopGrace);

    const std::vector<std::string> args(argv + 1, argv + argc);
    std::error_code error;
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    const int status = cli::RunCli(args, std::cout, std::cerr,
                                   cli::CliEnvironment{
                                       .serviceHost = std::string(app::ServiceHost()),
                                       .currentDirectory = std::filesystem::current_path(error),
                                       .errIsTerminal = terminal,
                                       .terminalColumns = terminal ? TerminalColumns() : 80,
                                       .interrupt = signals.Token(),
                                   });
    if (status == cli::kExitInterrupted && signals.Received() != 0) {
        // Partial files are gone already; a walk may still sit in a request that cannot be
        // interrupted, so the process ends without tearing down what it uses.
        std::cout.flush();
        std::cerr.flush();
        std::_Exit(128 + signals.Received());
    }
    return status;
}
