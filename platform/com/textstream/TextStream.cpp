#include "platform/com/textstream/TextStream.h"

#include <cmath>

#include "platform/com/ComponentRegistry.h"
#include "platform/com/textstream/CharsetDecoder.h"
#include "platform/com/textstream/CharsetNames.h"

namespace com {

void RegisterTextStream() {
    RegisterComponent("Adodb.Stream", [] { return std::make_shared<textstream::TextStream>(); });
}

namespace textstream {
namespace {

// A whole, non-negative number argument.
std::optional<double> CountArg(std::span<const Variant> args, std::size_t index) {
    const auto number = NumberArg(args, index);
    if (!number || !(*number >= 0) || *number != std::trunc(*number)) return std::nullopt;
    return number;
}

bool IsOmitted(std::span<const Variant> args, std::size_t index) {
    return index >= args.size() || std::holds_alternative<std::monostate>(args[index]);
}

// The charset name as ASCII; empty for one with other characters, which names no charset.
std::string AsciiName(const std::u16string& name) {
    std::string out;
    for (char16_t c : name) {
        if (c > 0x7F) return std::string();
        out.push_back(static_cast<char>(c));
    }
    return out;
}

}  // namespace

std::optional<Variant> TextStream::Invoke(std::string_view member, InvokeKind kind,
                                          std::span<const Variant> args) {
    const bool get = kind == InvokeKind::PropertyGet;
    const bool put = kind == InvokeKind::PropertyPut;
    if (IsMember(member, "Type")) {
        if (get) return Variant{static_cast<double>(type_)};
        return put ? SetType(args) : std::nullopt;
    }
    if (IsMember(member, "Mode")) {
        if (get) return Variant{mode_};
        return put ? SetMode(args) : std::nullopt;
    }
    if (IsMember(member, "Charset")) {
        if (get) return Variant{charset_};
        if (!put) return std::nullopt;
        auto name = StringArg(args, 0);
        if (!name) return std::nullopt;
        charset_ = std::move(*name);
        return Variant{};
    }
    if (IsMember(member, "Position")) {
        if (get)
            return open_ ? std::optional<Variant>(static_cast<double>(position_)) : std::nullopt;
        return put ? SetPosition(args) : std::nullopt;
    }
    if (kind != InvokeKind::Method) return std::nullopt;
    if (IsMember(member, "Open")) return Open(args);
    if (IsMember(member, "Write")) return Write(args);
    if (IsMember(member, "ReadText")) return ReadText(args);
    if (IsMember(member, "Close")) return Close();
    return std::nullopt;
}

std::optional<Variant> TextStream::SetType(std::span<const Variant> args) {
    const auto type = CountArg(args, 0);
    if (!type || (*type != kBinary && *type != kText)) return std::nullopt;
    if (open_ && position_ != 0) return std::nullopt;
    type_ = static_cast<int>(*type);
    return Variant{};
}

std::optional<Variant> TextStream::SetMode(std::span<const Variant> args) {
    const auto mode = CountArg(args, 0);
    if (!mode || open_) return std::nullopt;
    mode_ = *mode;
    return Variant{};
}

std::optional<Variant> TextStream::SetPosition(std::span<const Variant> args) {
    const auto position = CountArg(args, 0);
    if (!open_ || !position || *position > static_cast<double>(bytes_.size())) {
        return std::nullopt;
    }
    position_ = static_cast<std::size_t>(*position);
    return Variant{};
}

std::optional<Variant> TextStream::Open(std::span<const Variant> args) {
    // Only an empty stream: opening a source (a file or an address) is not offered.
    if (open_ || !IsOmitted(args, 0)) return std::nullopt;
    open_ = true;
    bytes_.clear();
    position_ = 0;
    return Variant{};
}

std::optional<Variant> TextStream::Write(std::span<const Variant> args) {
    if (!open_ || type_ != kBinary || args.empty()) return std::nullopt;
    const auto converted = ChangeType(args[0], VariantKind::Bytes);
    if (!converted) return std::nullopt;
    const ByteSet& data = std::get<ByteSet>(*converted);
    const std::size_t end = position_ + data.size();
    if (end > bytes_.size()) bytes_.resize(end);
    std::copy(data.begin(), data.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(position_));
    position_ = end;
    return Variant{};
}

std::optional<Variant> TextStream::ReadText(std::span<const Variant> args) {
    if (!open_ || type_ != kText) return std::nullopt;
    // Only the whole rest (adReadAll, -1) is offered.
    if (!IsOmitted(args, 0)) {
        const auto count = NumberArg(args, 0);
        if (!count || *count != -1) return std::nullopt;
    }
    const auto codec = FindCharset(AsciiName(charset_));
    if (!codec) return std::nullopt;
    auto text = DecodeBytes(std::string_view(bytes_).substr(position_), *codec, position_ == 0);
    if (!text) return std::nullopt;
    position_ = bytes_.size();
    return Variant{std::move(*text)};
}

std::optional<Variant> TextStream::Close() {
    if (!open_) return std::nullopt;
    open_ = false;
    bytes_.clear();
    bytes_.shrink_to_fit();
    position_ = 0;
    return Variant{};
}

}  // namespace textstream
}  // namespace com
