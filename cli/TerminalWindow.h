#pragma once

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Console.h"
#include "platform/ui/WindowOps.h"
#include "text/core/Text.h"

namespace cli {

// The main window's operations realised for a terminal, so the application logic runs unchanged
// behind the command line: edit boxes, the song list and the status bar are held in memory, a
// message to the operator is a line on the console (standard error). The avatar, the list's
// scrolling, selection and popup menu and the clipboard have no terminal counterpart: those
// calls change nothing.
//
// Thread: every operation runs directly on the calling thread under one lock, so a worker never
// waits for the thread that drives the application, and that thread may block on the worker.
class TerminalWindow : public ui::WindowOps {
public:
    // `console` is not owned and must outlive this object.
    explicit TerminalWindow(Console& console);

    Text EditText(std::string_view control) override;
    void SetEditText(std::string_view control, const Text& text) override;
    void SetPicture(std::string_view control, const ByteSet& bmpFile) override;
    int AppendRow(std::string_view list) override;
    void SetCellText(std::string_view list, int row, int column, const Text& text) override;
    Text CellText(std::string_view list, int row, int column) override;
    int RowCount(std::string_view list) override;
    void ScrollRowIntoView(std::string_view list, int row) override;
    int SelectedRowCount(std::string_view list) override;
    int FirstSelectedRow(std::string_view list) override;
    void SetStatusText(std::string_view statusBar, const Text& text) override;
    void SetEnabled(std::string_view control, bool enabled) override;
    void PopupMenu(std::string_view menu) override;
    void ShowMessage(const Text& text) override;
    void ShowUidHelp() override;
    void SetClipboardText(const Text& text) override;

    // Every message shown so far, in order.
    std::vector<Text> Messages();
    // The status bar's text; empty before the first.
    Text StatusText(std::string_view statusBar);

    // Called with every status text as it is set, on the thread that sets it, outside the lock;
    // empty: status texts are only kept. Set it while no worker runs.
    void SetStatusListener(std::function<void(const Text&)> listener);

    // Blocks until no control is disabled (the application enables its buttons again when its
    // worker ends) or `interrupt` is triggered; true in the first case.
    bool WaitUntilAllEnabled(std::stop_token interrupt);

private:
    Console& console_;
    std::mutex mutex_;
    std::condition_variable_any enabledChanged_;
    std::map<std::string, Text, std::less<>> edits_;
    std::map<std::string, std::vector<std::vector<Text>>, std::less<>> lists_;
    std::map<std::string, Text, std::less<>> statuses_;
    std::set<std::string, std::less<>> disabled_;
    std::vector<Text> messages_;
    std::function<void(const Text&)> statusListener_;
};

}  // namespace cli
