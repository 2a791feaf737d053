#include "cli/Console.h"

#include <algorithm>
#include <utility>

#include "cli/TerminalText.h"

namespace cli {
namespace {

// Back to the start of the line and erase it.
constexpr std::string_view kEraseLine = "\r\x1b[K";

}  // namespace

Console::Console(std::ostream& err, bool live, int columns)
    : err_(&err), live_(live), columns_(std::max(columns, 1)) {}

void Console::Line(std::string_view utf8) {
    std::lock_guard lock(mutex_);
    if (!err_) return;
    if (!liveText_.empty()) *err_ << kEraseLine;
    *err_ << OneLine(utf8) << '\n' << liveText_ << std::flush;
}

void Console::Live(std::string_view utf8) {
    if (!live_) return;
    std::lock_guard lock(mutex_);
    if (!err_) return;
    // The last column stays free: a full line would wrap on some terminals and break the redraw.
    std::string text = FitWidth(OneLine(utf8), columns_ - 1);
    if (text.empty() && liveText_.empty()) return;
    *err_ << kEraseLine << text << std::flush;
    liveText_ = std::move(text);
}

void Console::ClearLive() { Live(""); }

void Console::Close(std::string_view utf8) {
    std::lock_guard lock(mutex_);
    if (!err_) return;
    if (!liveText_.empty()) *err_ << kEraseLine;
    *err_ << OneLine(utf8) << '\n' << std::flush;
    liveText_.clear();
    err_ = nullptr;
}

}  // namespace cli
