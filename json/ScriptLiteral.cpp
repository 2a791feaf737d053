#include "json/ScriptLiteral.h"

#include "platform/codepage/CodePage.h"

namespace json {

namespace {

std::u16string QuotedScriptString(const Text& value) {
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    const std::u16string units = codepage::WideFromText(value);
    std::u16string out;
    out.reserve(units.size() + units.size() / 8 + 2);
    out.push_back(u'\'');
    for (const char16_t unit : units) {
        switch (unit) {
            case u'\\':
                out += u"\\\\";
                break;
            case u'\'':
                out += u"\\'";
                break;
            case u'"':
                out += u"\\\"";
                break;
            case u'\r':
                out += u"\\r";
                break;
            case u'\n':
                out += u"\\n";
                break;
            default:
                if (unit < 0x20 || unit == 0x2028 || unit == 0x2029) {
                    out += u"\\u";
                    for (int shift = 12; shift >= 0; shift -= 4)
                        out.push_back(kHex[(unit >> shift) & 0xF]);
                } else {
                    out.push_back(unit);
                }
        }
    }
    out.push_back(u'\'');
    return out;
}

}  // namespace

std::u16string ScriptWithString(const Text& before, const Text& value, const Text& after) {
    return codepage::WideFromText(before) + QuotedScriptString(value) +
           codepage::WideFromText(after);
}

}  // namespace json
