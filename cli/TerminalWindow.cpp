#include "cli/TerminalWindow.h"

#include <utility>

#include "platform/codepage/CodePage.h"

namespace cli {

TerminalWindow::TerminalWindow(Console& console) : console_(console) {}

Text TerminalWindow::EditText(std::string_view control) {
    std::lock_guard lock(mutex_);
    const auto found = edits_.find(control);
    return found == edits_.end() ? Text() : found->second;
}

void TerminalWindow::SetEditText(std::string_view control, const Text& text) {
    std::lock_guard lock(mutex_);
    edits_.insert_or_assign(std::string(control), text);
}

void TerminalWindow::SetPicture(std::string_view, const ByteSet&) {}

int TerminalWindow::AppendRow(std::string_view list) {
    std::lock_guard lock(mutex_);
    auto found = lists_.find(list);
    if (found == lists_.end()) found = lists_.try_emplace(std::string(list)).first;
    found->second.emplace_back();
    return static_cast<int>(found->second.size()) - 1;
}

void TerminalWindow::SetCellText(std::string_view list, int row, int column, const Text& text) {
    std::lock_guard lock(mutex_);
    const auto found = lists_.find(list);
    if (found == lists_.end() || row < 0 || row >= static_cast<int>(found->second.size()) ||
        column < 0) {
        return;
    }
    std::vector<Text>& cells = found->second[row];
    if (column >= static_cast<int>(cells.size())) cells.resize(column + 1);
    cells[column] = text;
}

Text TerminalWindow::CellText(std::string_view list, int row, int column) {
    std::lock_guard lock(mutex_);
    const auto found = lists_.find(list);
    if (found == lists_.end() || row < 0 || row >= static_cast<int>(found->second.size()) ||
        column < 0 || column >= static_cast<int>(found->second[row].size())) {
        return Text();
    }
    return found->second[row][column];
}

int TerminalWindow::RowCount(std::string_view list) {
    std::lock_guard lock(mutex_);
    const auto found = lists_.find(list);
    return found == lists_.end() ? 0 : static_cast<int>(found->second.size());
}

void TerminalWindow::ScrollRowIntoView(std::string_view, int) {}

int TerminalWindow::SelectedRowCount(std::string_view) { return 0; }

int TerminalWindow::FirstSelectedRow(std::string_view) { return -1; }

void TerminalWindow::SetStatusText(std::string_view statusBar, const Text& text) {
    std::function<void(const Text&)> listener;
    {
        std::lock_guard lock(mutex_);
        statuses_.insert_or_assign(std::string(statusBar), text);
        listener = statusListener_;
    }
    if (listener) listener(text);
}

void TerminalWindow::SetEnabled(std::string_view control, bool enabled) {
    {
        std::lock_guard lock(mutex_);
        if (enabled) {
            const auto found = disabled_.find(control);
            if (found != disabled_.end()) disabled_.erase(found);
        } else {
            disabled_.emplace(control);
        }
    }
    enabledChanged_.notify_all();
}

void TerminalWindow::PopupMenu(std::string_view) {}

void TerminalWindow::ShowMessage(const Text& text) {
    {
        std::lock_guard lock(mutex_);
        messages_.push_back(text);
    }
    console_.Line(codepage::Utf8FromGbk(text));
}

void TerminalWindow::ShowUidHelp() {
    console_.Line("用户主页地址中等号“=”后面、下一个“&”前面的就是UID");
}

void TerminalWindow::SetClipboardText(const Text&) {}

std::vector<Text> TerminalWindow::Messages() {
    std::lock_guard lock(mutex_);
    return messages_;
}

Text TerminalWindow::StatusText(std::string_view statusBar) {
    std::lock_guard lock(mutex_);
    const auto found = statuses_.find(statusBar);
    return found == statuses_.end() ? Text() : found->second;
}

void TerminalWindow::SetStatusListener(std::function<void(const Text&)> listener) {
    std::lock_guard lock(mutex_);
    statusListener_ = std::move(listener);
}

bool TerminalWindow::WaitUntilAllEnabled(std::stop_token interrupt) {
    std::unique_lock lock(mutex_);
    return enabledChanged_.wait(lock, interrupt, [this] { return disabled_.empty(); });
}

}  // namespace cli
