#include "cli/RunCli.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "app/Application.h"
#include "app/Controls.h"
#include "cli/CliArguments.h"
#include "cli/Console.h"
#include "cli/DownloadProgress.h"
#include "cli/TerminalText.h"
#include "cli/TerminalWindow.h"
#include "platform/codepage/CodePage.h"
#include "platform/com/Apartment.h"

namespace cli {
namespace {

namespace controls = app::controls;
namespace fs = std::filesystem;

constexpr std::string_view kProgram = "karaoke-downloader-cli";

int UsageError(std::ostream& err, const std::string& problem) {
    err << kProgram << ": " << problem << "\nTry '" << kProgram
        << " --help' for more information.\n";
    return kExitUsage;
}

// The lookup's messages that mean the UID names no user: none typed, the wrong length, or one
// the service does not know.
bool ShowedUidError(const std::vector<Text>& messages) {
    for (const Text& message : messages) {
        if (message == "请输入UID"_gbk || message == "uid错误，请重新输入"_gbk ||
            message == "uid输入错误，请重新输入！"_gbk) {
            return true;
        }
    }
    return false;
}

// The calling thread's component apartment for the lookup, for the length of the run.
class ApartmentScope {
public:
    ApartmentScope() { ComInitialize(); }
    ~ApartmentScope() { ComUninitialize(); }
    ApartmentScope(const ApartmentScope&) = delete;
    ApartmentScope& operator=(const ApartmentScope&) = delete;
};

// Everything the application's worker may touch, held together so that a run whose worker
// cannot be stopped can leave all of it behind.
struct Session {
    Session(std::ostream& err, const CliEnvironment& env, fs::path folder)
        : console(err, env.errIsTerminal, env.terminalColumns),
          window(console),
          progress(console, window),
          downloadFolder(std::move(folder)),
          application(window, app::ApplicationConfig{.serviceHost = env.serviceHost,
                                                     .downloadFolder = downloadFolder,
                                                     .downloadEvents = progress.Events()}) {}

    Console console;
    TerminalWindow window;
    DownloadProgress progress;
    const fs::path downloadFolder;
    app::Application application;
};

// Runs the started worker to its end; false when interrupted first.
bool WaitForWorker(Session& session, std::stop_token interrupt) {
    // The application disables its buttons while its worker runs and enables them at its end.
    if (!session.window.WaitUntilAllEnabled(interrupt)) return false;
    session.application.WaitUntilIdle();
    return true;
}

void PrintUser(Session& session, std::ostream& out) {
    const app::AppState& state = session.application.State();
    out << "nickname: "
        << OneLine(codepage::Utf8FromGbk(session.window.EditText(controls::kNicknameBox)))
        << "\nsongs: " << state.SongCount << "\npages: " << state.LastPage << '\n';
}

void PrintSongs(Session& session, std::ostream& out, bool json) {
    TerminalWindow& window = session.window;
    const int rows = window.RowCount(controls::kSongList);
    for (int row = 0; row < rows; ++row) {
        const auto cell = [&](int column) {
            return codepage::Utf8FromGbk(window.CellText(controls::kSongList, row, column));
        };
        if (json) {
            out << "{\"number\":" << row + 1
                << ",\"name\":" << JsonString(cell(controls::kNameColumn))
                << ",\"link\":" << JsonString(cell(controls::kLinkColumn)) << "}\n";
        } else {
            out << OneLine(cell(controls::kNumberColumn)) << '\t'
                << OneLine(cell(controls::kNameColumn)) << '\t'
                << OneLine(cell(controls::kLinkColumn)) << '\n';
        }
    }
}

// The summary of a finished download; the exit status.
int PrintDownloadSummary(Session& session, std::ostream& out) {
    out << "下载目录：" << OneLine(session.downloadFolder.string()) << '\n'
        << OneLine(codepage::Utf8FromGbk(session.window.StatusText(controls::kStatusBar))) << '\n';
    const std::vector<DownloadProgress::Failure> failures = session.progress.Failures();
    if (!failures.empty()) {
        out << "下载失败的歌曲：\n";
        for (const DownloadProgress::Failure& failure : failures) {
            out << failure.number << '\t' << OneLine(failure.name) << '\t'
                << OneLine(failure.reason) << '\n';
        }
    }
    // A folder that could not be made fails the run even without a song to put in it.
    std::error_code error;
    const bool folderReady = fs::is_directory(session.downloadFolder, error);
    return failures.empty() && folderReady ? kExitDone : kExitSongsFailed;
}

// The command after the arguments have been read; the exit status.
int RunCommand(Session& session, const CliRequest& request, std::ostream& out,
               std::stop_token interrupt) {
    TerminalWindow& window = session.window;
    Console& console = session.console;
    app::Application& application = session.application;

    window.SetEditText(controls::kUidBox, codepage::GbkFromUtf8(request.uid));
    application.OnQueryUserClicked();
    if (interrupt.stop_requested()) return kExitInterrupted;
    if (ShowedUidError(window.Messages())) return kExitUsage;
    if (request.command == Command::Lookup) {
        PrintUser(session, out);
        return kExitDone;
    }

    window.SetStatusListener([&console](const Text& status) {
        const std::string text = codepage::Utf8FromGbk(status);
        console.live() ? console.Live(text) : console.Line(text);
    });
    application.OnParseSongsClicked();
    if (!WaitForWorker(session, interrupt)) return kExitInterrupted;
    window.SetStatusListener({});
    console.ClearLive();
    if (request.command == Command::List) {
        PrintSongs(session, out, request.json);
        return kExitDone;
    }

    if (interrupt.stop_requested()) return kExitInterrupted;
    session.progress.Begin(window.RowCount(controls::kSongList));
    application.OnDownloadSongsClicked();
    if (!WaitForWorker(session, interrupt)) return kExitInterrupted;
    console.ClearLive();
    return PrintDownloadSummary(session, out);
}

// Flushes the output; a result that could not be written fails the run.
int Finish(std::ostream& out, std::ostream& err, int status) {
    if (!out.flush()) {
        err << kProgram << ": the output could not be written\n";
        if (status == kExitDone) return kExitSongsFailed;
    }
    return status;
}

}  // namespace

int RunCli(std::span<const std::string> args, std::ostream& out, std::ostream& err,
           const CliEnvironment& env) {
    std::string problem;
    const std::optional<CliRequest> request = ParseArguments(args, &problem);
    if (!request) return UsageError(err, problem);
    if (request->command == Command::Help) {
        out << HelpText();
        return Finish(out, err, kExitDone);
    }
    if (request->command == Command::Version) {
        out << kProgram << ' ' << KARAOKE_VERSION << '\n';
        return Finish(out, err, kExitDone);
    }

    ApartmentScope apartment;
    auto session = std::make_unique<Session>(
        err, env, env.currentDirectory / request->outputFolder.value_or("K歌歌曲"));
    const int status = RunCommand(*session, *request, out, env.interrupt);
    if (status == kExitInterrupted) {
        const bool workerEnded = session->application.Shutdown();
        session->console.Close(std::string(kProgram) + ": interrupted");
        if (!workerEnded) {
            // The walk is inside a feed request that cannot be interrupted; it writes no file.
            // Its session stays alive, silenced, for the process to end without waiting.
            static_cast<void>(session.release());
        }
    }
    return Finish(out, err, status);
}

}  // namespace cli
