#include "regex/RegexObject.h"

#include <algorithm>
#include <string>

#include "platform/codepage/CodePage.h"
#include "platform/com/Apartment.h"
#include "text/core/TextOps.h"

using automation::CallMethod;
using automation::GetProperty;
using automation::ObjectRef;
using automation::SetProperty;

RegexObject::RegexObject() { ComInitialize(); }

RegexObject::RegexObject(const ObjectRef& engine, const ObjectRef& matches, const Text& subject)
    : RegexObject() {
    engine_ = engine.Copy();
    matches_ = matches.Copy();
    subject_ = subject;
}

RegexObject::~RegexObject() {
    engine_.Release();
    matches_.Release();
    subject_ = Text();
    ComUninitialize();
}

RegexObject RegexObject::Copy() const { return RegexObject(engine_, matches_, subject_); }

bool RegexObject::Create(const Text& pattern, const Text& subject, const RegexOptions& options) {
    const bool ignoreCase = !options.caseSensitive.value_or(false);
    const bool multiline = options.multiline.value_or(true);
    const bool global = options.global.value_or(true);

    engine_.Release();
    matches_.Release();
    engine_ = automation::CreateObject(Text("VBScript.RegExp"));
    SetProperty(engine_, "IgnoreCase", ignoreCase);
    SetProperty(engine_, "Multiline", multiline);
    SetProperty(engine_, "Global", global);
    const Text effective = options.quotePlaceholder.value_or(false)
                               ? text::ReplaceAll(pattern, "#引号"_gbk, Text("\""))
                               : pattern;
    SetProperty(engine_, "Pattern", effective);
    subject_ = subject;
    matches_ = CallMethod<ObjectRef>(engine_, "Execute", {subject_});
    return !matches_.IsEmpty();
}

Text RegexObject::GetPattern() const {
    if (engine_.IsEmpty()) return Text();
    return GetProperty<Text>(engine_, "Pattern");
}

Text RegexObject::ReplaceAll(const Text& replacement) const {
    return CallMethod<Text>(engine_, "Replace", {subject_, replacement});
}

int RegexObject::MatchCount() const { return GetProperty<int>(matches_, "Count"); }

ObjectRef RegexObject::Match(int n) const {
    return GetProperty<ObjectRef>(matches_, "Item", {static_cast<double>(n) - 1});
}

int RegexObject::ByteOffsetOf(const ObjectRef& match) const {
    // FirstIndex counts UTF-16 units; in GBK a Chinese character takes two bytes but one unit,
    // so the units before the match are converted back to learn their length in bytes.
    const int firstIndex = GetProperty<int>(match, "FirstIndex");
    const std::u16string wide = codepage::WideFromText(subject_);
    const std::size_t units =
        std::min(static_cast<std::size_t>(std::max(firstIndex, 0)), wide.size());
    return static_cast<int>(
        codepage::TextFromWide(std::u16string_view(wide).substr(0, units)).size());
}

Text RegexObject::MatchText(int n, int* position) const {
    const ObjectRef match = Match(n);
    if (position) *position = match.IsEmpty() ? -1 : ByteOffsetOf(match);
    return GetProperty<Text>(match, "Value");
}

Text RegexObject::SubMatchText(int n, int g, int* position) const {
    const ObjectRef match = Match(n);
    const ObjectRef groups = GetProperty<ObjectRef>(match, "SubMatches");
    Text value = GetProperty<Text>(groups, "Item", {static_cast<double>(g) - 1});
    if (position) {
        const int found = value.empty() ? -1 : text::Find(subject_, value, ByteOffsetOf(match) + 1);
        *position = found < 0 ? -1 : found - 1;
    }
    return value;
}

int RegexObject::SubMatchCount() const {
    const ObjectRef groups = GetProperty<ObjectRef>(Match(1), "SubMatches");
    return GetProperty<int>(groups, "Count");
}
