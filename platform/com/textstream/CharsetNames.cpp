#include "platform/com/textstream/CharsetNames.h"

#include <algorithm>
#include <string>

namespace com::textstream {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

struct Label {
    std::string_view name;  // lower case
    CharsetCodec codec;
};

constexpr Label kLabels[] = {
    {"utf-8", {"UTF-8", kUtf8Bom}},
    {"utf8", {"UTF-8", kUtf8Bom}},
    {"unicode-1-1-utf-8", {"UTF-8", kUtf8Bom}},
    {"x-unicode20utf8", {"UTF-8", kUtf8Bom}},
    {"unicode", {"UTF-16LE", kUtf16LeBom, 2}},
    {"utf-16", {"UTF-16LE", kUtf16LeBom, 2}},
    {"utf-16le", {"UTF-16LE", kUtf16LeBom, 2}},
    {"ucs-2", {"UTF-16LE", kUtf16LeBom, 2}},
    {"unicodefffe", {"UTF-16BE", kUtf16BeBom, 2}},
    {"utf-16be", {"UTF-16BE", kUtf16BeBom, 2}},
    {"gb2312", {"CP936", {}}},
    {"gbk", {"CP936", {}}},
    {"x-gbk", {"CP936", {}}},
    {"cp936", {"CP936", {}}},
    {"ms936", {"CP936", {}}},
    {"windows-936", {"CP936", {}}},
    {"csgb2312", {"CP936", {}}},
    {"chinese", {"CP936", {}}},
    {"iso-ir-58", {"CP936", {}}},
    {"gb_2312-80", {"CP936", {}}},
    {"gb18030", {"GB18030", {}}},
    {"big5", {"CP950", {}}},
    {"cn-big5", {"CP950", {}}},
    {"csbig5", {"CP950", {}}},
    {"x-x-big5", {"CP950", {}}},
    {"cp950", {"CP950", {}}},
    {"big5-hkscs", {"BIG5-HKSCS", {}}},
    {"shift_jis", {"CP932", {}}},
    {"shift-jis", {"CP932", {}}},
    {"sjis", {"CP932", {}}},
    {"x-sjis", {"CP932", {}}},
    {"ms_kanji", {"CP932", {}}},
    {"csshiftjis", {"CP932", {}}},
    {"windows-31j", {"CP932", {}}},
    {"cp932", {"CP932", {}}},
    {"euc-jp", {"EUC-JP", {}}},
    {"x-euc-jp", {"EUC-JP", {}}},
    {"iso-2022-jp", {"ISO-2022-JP", {}}},
    {"euc-kr", {"CP949", {}}},
    {"ks_c_5601-1987", {"CP949", {}}},
    {"korean", {"CP949", {}}},
    {"cp949", {"CP949", {}}},
    {"windows-949", {"CP949", {}}},
    {"us-ascii", {"CP1252", {}}},
    {"ascii", {"CP1252", {}}},
    {"iso-8859-1", {"CP1252", {}}},
    {"iso8859-1", {"CP1252", {}}},
    {"latin1", {"CP1252", {}}},
    {"l1", {"CP1252", {}}},
    {"windows-1250", {"CP1250", {}}},
    {"windows-1251", {"CP1251", {}}},
    {"windows-1252", {"CP1252", {}}},
    {"windows-1253", {"CP1253", {}}},
    {"windows-1254", {"CP1254", {}}},
    {"windows-1255", {"CP1255", {}}},
    {"windows-1256", {"CP1256", {}}},
    {"windows-1257", {"CP1257", {}}},
    {"windows-1258", {"CP1258", {}}},
    {"windows-874", {"CP874", {}}},
    {"tis-620", {"CP874", {}}},
    {"iso-8859-2", {"ISO-8859-2", {}}},
    {"iso-8859-3", {"ISO-8859-3", {}}},
    {"iso-8859-4", {"ISO-8859-4", {}}},
    {"iso-8859-5", {"ISO-8859-5", {}}},
    {"iso-8859-6", {"ISO-8859-6", {}}},
    {"iso-8859-7", {"ISO-8859-7", {}}},
    {"iso-8859-8", {"ISO-8859-8", {}}},
    {"iso-8859-9", {"ISO-8859-9", {}}},
    {"iso-8859-13", {"ISO-8859-13", {}}},
    {"iso-8859-15", {"ISO-8859-15", {}}},
    {"koi8-r", {"KOI8-R", {}}},
    {"koi8-u", {"KOI8-U", {}}},
    {"macintosh", {"MACINTOSH", {}}},
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

}  // namespace

std::optional<CharsetCodec> FindCharset(std::string_view name) {
    while (!name.empty() && IsSpace(name.front())) name.remove_prefix(1);
    while (!name.empty() && IsSpace(name.back())) name.remove_suffix(1);
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    });
    for (const Label& label : kLabels) {
        if (label.name == lower) return label.codec;
    }
    return std::nullopt;
}

}  // namespace com::textstream
