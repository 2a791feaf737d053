#pragma once

#include <string>

#include "platform/com/Dispatch.h"

namespace com {

// Registers the text stream under "Adodb.Stream".
void RegisterTextStream();

namespace textstream {

// The in-memory stream of bytes that turns a page's bytes into text in a named charset, with the
// members scripts use for that:
//   Type (1 binary, 2 text; default 2; changes only at Position 0 while open);
//   Mode (any access mode number; written only while closed; the stream is always read-write);
//   Charset (default "Unicode"; any name is kept, see CharsetNames.h for the ones that read);
//   Open() (an empty stream; fails when already open or when given a source);
//   Write(byte array) (binary type only: writes at Position, extending the stream);
//   Position (bytes from 0; 0 to the stream's size);
//   ReadText() or ReadText(-1) (text type only: the bytes from Position to the end decoded in
//   Charset, a byte-order mark skipped when reading from 0, sequences that do not decode as
//   U+FFFD; Position moves to the end; fails when Charset names no charset we read);
//   Close() (drops the bytes).
// Every other use fails the call without effect. Belongs to the thread that made it.
class TextStream : public Dispatch {
public:
    std::optional<Variant> Invoke(std::string_view member, InvokeKind kind,
                                  std::span<const Variant> args) override;

private:
    std::optional<Variant> SetType(std::span<const Variant> args);
    std::optional<Variant> SetMode(std::span<const Variant> args);
    std::optional<Variant> SetPosition(std::span<const Variant> args);
    std::optional<Variant> Open(std::span<const Variant> args);
    std::optional<Variant> Write(std::span<const Variant> args);
    std::optional<Variant> ReadText(std::span<const Variant> args);
    std::optional<Variant> Close();

    static constexpr int kBinary = 1;
    static constexpr int kText = 2;

    bool open_ = false;
    int type_ = kText;
    double mode_ = 0;
    std::u16string charset_ = u"Unicode";
    std::string bytes_;
    std::size_t position_ = 0;
};

}  // namespace textstream
}  // namespace com
