#include "json/JsonDocument.h"

#include <charconv>
#include <cmath>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "json/EmbeddedScript.h"
#include "json/ScriptLiteral.h"
#include "platform/codepage/CodePage.h"
#include "platform/com/Apartment.h"
#include "text/core/TextOps.h"

namespace {

constexpr std::string_view kProgId = "MSScriptControl.ScriptControl";
// Script tails that bring each U+2400 back as a backslash: plain, and escaped for JSON texts.
constexpr std::string_view kToBackslash = R"(.replace(str_reg, '\\'))";
constexpr std::string_view kToJsonBackslash = R"(.replace(str_reg, '\\\\'))";

Text Script(std::initializer_list<std::string_view> parts) {
    std::string code;
    for (const std::string_view part : parts) code += part;
    return Text(std::move(code));
}

automation::Variant WideScript(std::u16string code) {
    return automation::Variant(com::Variant(std::move(code)));
}

Text DecimalText(double number) {
    if (std::isnan(number)) return Text("NaN");
    if (std::isinf(number)) return Text(number > 0 ? "Infinity" : "-Infinity");
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    return Text(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
}

}  // namespace

// --- apartment reference ---

JsonDocument::ApartmentRef::ApartmentRef() : thread_(std::this_thread::get_id()), held_(true) {
    ComInitialize();
}

JsonDocument::ApartmentRef::~ApartmentRef() { Release(); }

JsonDocument::ApartmentRef::ApartmentRef(ApartmentRef&& other) noexcept
    : thread_(other.thread_), held_(std::exchange(other.held_, false)) {}

JsonDocument::ApartmentRef& JsonDocument::ApartmentRef::operator=(ApartmentRef&& other) noexcept {
    if (this != &other) {
        Release();
        thread_ = other.thread_;
        held_ = std::exchange(other.held_, false);
    }
    return *this;
}

bool JsonDocument::ApartmentRef::IsOnThisThread() const {
    return held_ && thread_ == std::this_thread::get_id();
}

void JsonDocument::ApartmentRef::Release() {
    // On another thread the count belongs to that thread: leave it rather than unbalance ours.
    if (IsOnThisThread()) ComUninitialize();
    held_ = false;
}

// --- creation, copying, destruction ---

JsonDocument::JsonDocument() : JsonDocument(WithoutEngine{}) { Initialize(); }

JsonDocument::JsonDocument(WithoutEngine) : variableName_("da") { apartment_.emplace(); }

JsonDocument::~JsonDocument() {
    engine_.Release();
    apartment_.reset();
}

JsonDocument::JsonDocument(JsonDocument&& other) noexcept
    : variableName_(std::move(other.variableName_)),
      apartment_(std::move(other.apartment_)),
      engine_(std::move(other.engine_)) {
    other.apartment_.reset();
    other.engine_.Release();
}

JsonDocument& JsonDocument::operator=(JsonDocument&& other) noexcept {
    if (this != &other) {
        engine_.Release();
        apartment_.reset();
        variableName_ = std::move(other.variableName_);
        apartment_ = std::move(other.apartment_);
        other.apartment_.reset();
        engine_ = std::move(other.engine_);
        other.engine_.Release();
    }
    return *this;
}

JsonDocument JsonDocument::Copy() const {
    JsonDocument copy{WithoutEngine{}};
    copy.variableName_ = variableName_;
    copy.engine_ = engine_.Copy();
    return copy;
}

void JsonDocument::Initialize() {
    if (!apartment_) apartment_.emplace();
    engine_ = automation::CreateObject(Text(kProgId));
    if (engine_.IsEmpty()) return;
    automation::SetProperty(engine_, "Language", Text("JavaScript"));
    automation::CallMethod(engine_, "AddCode", {json::EmbeddedScript()});
    automation::CallMethod(
        engine_, "Eval",
        {Script({"var ", variableName_.view(),
                 " = {}, str_Code = String.fromCharCode(9216), str_reg = new RegExp(str_Code, "
                 "'g')"})});
}

void JsonDocument::ReplaceEngine() {
    engine_.Release();
    if (apartment_ && apartment_->IsOnThisThread()) apartment_.reset();
    Initialize();
}

// --- parsing ---

bool JsonDocument::Parse(const Text& json, std::optional<bool> asLiteral,
                         ScriptErrorInfo* errorInfo) {
    if (errorInfo != nullptr) *errorInfo = ScriptErrorInfo{};
    if (engine_.IsEmpty()) return false;
    ReplaceEngine();
    return Load(json, asLiteral.value_or(false), errorInfo);
}

bool JsonDocument::Load(const Text& json, bool asLiteral, ScriptErrorInfo* errorInfo) {
    if (engine_.IsEmpty()) return false;
    const std::string_view v = variableName_.view();
    automation::CallMethod(engine_, "Eval", {Script({"var ", v, " = null"})});
    if (asLiteral) {
        automation::CallMethod(engine_, "AddCode", {Script({"var ", v, " = ", json.view()})});
    } else if (json.empty()) {
        // Nothing to read, as for a missing node handed to a child: the value is undefined.
        automation::CallMethod(engine_, "AddCode", {Script({"var ", v, " = undefined"})});
    } else {
        // Text from outside is data: the JSON parser reads it, nothing runs it.
        automation::CallMethod(engine_, "AddCode",
                               {WideScript(json::ScriptWithString(
                                   Script({"var ", v, " = JSON.parse("}), json, Text(")")))});
    }
    if (errorInfo != nullptr) {
        const auto error = automation::GetProperty<automation::ObjectRef>(engine_, "Error");
        errorInfo->number = automation::GetProperty<int>(error, "Number");
        errorInfo->source = automation::GetProperty<Text>(error, "Source");
        errorInfo->description = automation::GetProperty<Text>(error, "Description");
        errorInfo->helpFile = automation::GetProperty<Text>(error, "HelpFile");
        errorInfo->helpContext = automation::GetProperty<int>(error, "HelpContext");
        errorInfo->text = automation::GetProperty<Text>(error, "Text");
        errorInfo->line = automation::GetProperty<int>(error, "Line");
        errorInfo->column = automation::GetProperty<int>(error, "Column");
    }
    return EvalBool(Script({v, " != null"}));
}

JsonDocument JsonDocument::ChildFromJson(const Text& json) const {
    JsonDocument child{WithoutEngine{}};
    if (engine_.IsEmpty()) return child;
    child.Initialize();
    child.Load(json, false, nullptr);
    return child;
}

// --- evaluation ---

std::optional<automation::Variant> JsonDocument::Run(std::string_view method,
                                                     const automation::Variant& code) const {
    return automation::Invoke(engine_, method, com::InvokeKind::Method, {code});
}

bool JsonDocument::EvalBool(const Text& code) const {
    const auto value = Run("Eval", code);
    return value && value->AsBool();
}

double JsonDocument::EvalNumber(const Text& code) const {
    const auto value = Run("Eval", code);
    return value ? value->AsNumber() : 0.0;
}

int JsonDocument::EvalInt(const Text& code) const {
    const auto value = Run("Eval", code);
    return value ? value->AsInt() : 0;
}

Text JsonDocument::EvalText(const Text& code) const {
    const auto value = Run("Eval", code);
    return value ? value->AsText() : Text();
}

// --- paths ---

bool JsonDocument::ResolvePath(Text& path) {
    const std::string_view v = variableName_.view();
    if (text::StartsWith(path, variableName_) && EvalBool(Script({path.view(), " != null"}))) {
        return true;
    }
    if (path.empty()) {
        path = variableName_;
    } else if (path.view().front() == '[') {
        path = Script({v, path.view()});
    } else {
        path = Script({v, ".", path.view()});
    }
    return EvalBool(Script({path.view(), " != null"}));
}

Text JsonDocument::Resolve(const Text& path) {
    Text expression = path;
    ResolvePath(expression);
    return expression;
}

bool JsonDocument::Exists(const Text& path) {
    Text expression = path;
    return ResolvePath(expression);
}

JsonNodeType JsonDocument::GetType(const Text& path) {
    const Text e = Resolve(path);
    if (EvalBool(Script({e.view(), " == null"}))) return JsonNodeType::Null;
    const Text tag = EvalText(Script({"Object.prototype.toString.call(", e.view(), ")"}));
    const std::string_view t = tag.view();
    if (t == "[object String]") return JsonNodeType::String;
    if (t == "[object Array]") return JsonNodeType::Array;
    if (t == "[object Object]") return JsonNodeType::Object;
    if (t == "[object Number]") return JsonNodeType::Number;
    if (t == "[object Boolean]") return JsonNodeType::Boolean;
    return JsonNodeType::Unknown;
}

// --- reading ---

Text JsonDocument::NodeJson(const Text& expression) {
    return EvalText(Script({"JSON.stringify(", expression.view(), ")", kToJsonBackslash}));
}

Text JsonDocument::ToJson() { return NodeJson(variableName_); }

Text JsonDocument::GetText(const Text& path, bool asJson) {
    const Text e = Resolve(path);
    if (asJson) return NodeJson(e);
    return EvalText(Script({e.view(), ".toString()", kToBackslash}));
}

Text JsonDocument::GetJson(const Text& path) { return NodeJson(Resolve(path)); }

double JsonDocument::GetNumber(const Text& path) { return EvalNumber(Resolve(path)); }

int JsonDocument::GetCount(const Text& path) {
    return EvalInt(Script({"get__count(", Resolve(path).view(), ")"}));
}

int JsonDocument::GetMemberNames(std::vector<Text>& names, const Text& path) {
    const Text joined = EvalText(Script({"get__name_All(", Resolve(path).view(), ")"}));
    names = text::Split(joined, Text("\r\n"));
    return static_cast<int>(names.size());
}

JsonDocument JsonDocument::GetNode(const Text& path) {
    return ChildFromJson(NodeJson(Resolve(path)));
}

JsonDocument JsonDocument::GetElement(int index, const Text& path) {
    const Text element = Script({Resolve(path).view(), "[", text::FromInt(index).view(), "]"});
    return ChildFromJson(NodeJson(element));
}

Text JsonDocument::GetElementText(int index, const Text& path, bool asJson) {
    const Text element = Script({Resolve(path).view(), "[", text::FromInt(index).view(), "]"});
    if (asJson) return NodeJson(element);
    // No toString: only a string element has replace, so any other element gives nothing.
    return EvalText(Script({element.view(), kToBackslash}));
}

int JsonDocument::GetLeafValues(std::vector<Text>& values, const Text& path, bool recursive) {
    static const Text separator = "[2020年7月20日20时0分0秒]"_gbk;
    const Text e = Resolve(path);
    Run("Eval", Text("var str_all = new Array()"));
    Run("Eval", Script({"get__nodeValue(", e.view(), ", ", recursive ? "true" : "false", ")"}));
    const Text joined = EvalText(Script({"str_all.join('", separator.view(), "')"}));
    values = text::Split(joined, separator);
    return static_cast<int>(values.size());
}

automation::ObjectRef JsonDocument::GetEngine() const { return engine_.Copy(); }

// --- changing ---

bool JsonDocument::Clear() { return EvalBool(Script({variableName_.view(), " = {}"})); }

bool JsonDocument::SetValue(const Text& path, const Text& value, bool valueIsScript) {
    Text e = path;
    const bool exists = ResolvePath(e);
    if (valueIsScript) {
        const std::string_view script = value.empty() ? std::string_view("{}") : value.view();
        const Text tag = EvalText(Script({"Object.prototype.toString.call(", e.view(), ")"}));
        if (exists && tag.view() == "[object Object]") {
            return EvalBool(Script({e.view(), " = get__extend(", e.view(), ", ", script, ")"}));
        }
        return EvalBool(Script({e.view(), " = eval(", script, ")"}));
    }
    // Stored with U+2400 in place of each backslash; the reads turn it back.
    const auto code = json::ScriptWithString(Script({e.view(), " = "}), value,
                                             Text(R"(.replace(/\\/g, str_Code))"));
    const auto result = Run("Eval", WideScript(code));
    return result && result->AsBool();
}

bool JsonDocument::SetExpression(const Text& path, const Text& expression) {
    const Text e = Resolve(path);
    return EvalBool(Script({e.view(), " = eval(", expression.view(), ")"}));
}

bool JsonDocument::AddElement(const Text& value, const Text& path, bool valueIsScript,
                              bool atFront) {
    const Text e = Resolve(path);
    const Text before =
        Script({"if (Object.prototype.toString.call(", e.view(), ") != '[object Array]') { ",
                e.view(), " = new Array() } ", e.view(), atFront ? ".unshift(" : ".push("});
    const std::u16string code =
        valueIsScript ? codepage::WideFromText(Script({before.view(), value.view(), ")"}))
                      : json::ScriptWithString(before, value, Text(")"));
    const auto result = Run("Eval", WideScript(code));
    return result && result->AsBool();
}

bool JsonDocument::SetElement(int index, const Text& path, const Text& value, bool valueIsScript) {
    const Text before = Script({Resolve(path).view(), "[", text::FromInt(index).view(), "] = "});
    const std::u16string code = valueIsScript ? codepage::WideFromText(before + value)
                                              : json::ScriptWithString(before, value, Text());
    const auto result = Run("Eval", WideScript(code));
    return result && result->AsBool();
}

bool JsonDocument::RemoveElement(int index, const Text& path) {
    return EvalBool(
        Script({Resolve(path).view(), ".splice(", text::FromInt(index).view(), ", 1)"}));
}

bool JsonDocument::DeleteMember(const Text& path) {
    return EvalBool(Script({"delete ", Resolve(path).view()}));
}

bool JsonDocument::SetNumber(const Text& path, double number) {
    return EvalBool(Script({Resolve(path).view(), " = ", DecimalText(number).view()}));
}
