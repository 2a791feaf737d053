#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Bytes in the GBK code page, never UTF-8. Like a zero-terminated string, a Text ends at its
// first zero byte: whatever is given after one is dropped. An absent text and an empty text are
// the same. Convert at the edges only (Qt, file names, terminals) through platform/codepage.
class Text {
public:
    Text() = default;
    explicit Text(std::string_view bytes) : bytes_(bytes.substr(0, bytes.find('\0'))) {}
    explicit Text(const char* bytes) : Text(std::string_view(bytes ? bytes : "")) {}
    explicit Text(std::string&& bytes) : bytes_(std::move(bytes)) {
        bytes_.resize(std::string_view(bytes_).find('\0') == std::string_view::npos
                          ? bytes_.size()
                          : std::string_view(bytes_).find('\0'));
    }

    const std::string& bytes() const { return bytes_; }
    std::string_view view() const { return bytes_; }
    const char* c_str() const { return bytes_.c_str(); }
    std::size_t size() const { return bytes_.size(); }
    bool empty() const { return bytes_.empty(); }

    Text& operator+=(const Text& other) {
        bytes_ += other.bytes_;
        return *this;
    }
    friend Text operator+(Text left, const Text& right) { return left += right; }
    friend bool operator==(const Text&, const Text&) = default;
    friend auto operator<=>(const Text&, const Text&) = default;

private:
    std::string bytes_;
};

// Counted bytes that may hold zeros.
using ByteSet = std::vector<std::uint8_t>;

inline ByteSet ToBytes(const Text& text) { return ByteSet(text.view().begin(), text.view().end()); }
inline Text ToText(const ByteSet& bytes) {
    return Text(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}
