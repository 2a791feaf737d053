#pragma once

#include <mutex>
#include <ostream>
#include <string>
#include <string_view>

namespace cli {

// Standard error of the terminal front end, shared by the thread that runs a command and the
// application's worker: whole lines, and on a terminal one live line below them that is drawn
// again in place (the progress). Every text is UTF-8 and has its control characters made
// spaces on the way out. Thread-safe.
class Console {
public:
    // `err` is not owned and must outlive every call. `live`: standard error is a terminal;
    // `columns` is its width then.
    Console(std::ostream& err, bool live, int columns);
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    bool live() const { return live_; }
    int columns() const { return columns_; }

    // A line of its own; on a terminal the live line is drawn again below it.
    void Line(std::string_view utf8);
    // On a terminal replaces the live line with `utf8`, cut to the terminal's width; nothing
    // otherwise.
    void Live(std::string_view utf8);
    // Removes the live line (as Live with an empty text).
    void ClearLive();
    // Removes the live line, writes `utf8` as the last line, and from then on writes nothing:
    // the stream's owner is done with it while a worker that could not be stopped may still
    // report.
    void Close(std::string_view utf8);

private:
    std::mutex mutex_;
    std::ostream* err_;
    const bool live_;
    const int columns_;
    std::string liveText_;  // empty: no live line shown
};

}  // namespace cli
