#pragma once

#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "automation/Automation.h"
#include "text/core/Text.h"

// The engine's Error object after a Parse, field by field (numbers truncated to integers). All
// zero and empty when the parse raised no error.
struct ScriptErrorInfo {
    int number = 0;
    Text source;
    Text description;
    Text helpFile;
    int helpContext = 0;
    Text text;
    int line = 0;
    int column = 0;
};

// What GetType says a node is.
enum class JsonNodeType : int {
    Unknown = -1,  // anything else, or the type cannot be determined
    Null = 0,      // null, undefined or a missing member
    Boolean = 1,
    Number = 2,
    Object = 4,
    Array = 5,
    String = 6,
};

// One JSON value held in a script engine ("MSScriptControl.ScriptControl", JavaScript) as the
// global variable "da", read and changed through short script texts.
//
// Paths are in the member-access syntax of JavaScript, relative to the value: 'data',
// 'ugclist[3].title', '[0]'; the empty path is the value itself (see ResolvePath). Every failure
// (a missing node, a script error, no engine) gives false, 0, the empty text, an empty list or a
// child document whose reads are all empty; nothing throws, and the document stays usable.
//
// Texts travel to the engine as UTF-16 converted from GBK and come back as GBK, so characters GBK
// cannot hold come back as "?". Backslashes that SetValue stores are kept as U+2400 inside the
// engine; the text reads turn U+2400 back into a backslash, and the JSON forms (ToJson, GetJson,
// GetText/GetElementText with asJson, the text handed to child documents) into an escaped
// backslash, so that they stay valid JSON.
//
// Apartments and threads: the constructor calls ComInitialize on the calling thread (its home
// thread) and the destructor the matching ComUninitialize there; Copy does the same on the thread
// that copies. Destroy a document on the thread that made it (elsewhere its apartment reference
// is left alone). A document is used by one thread at a time. Parse makes a fresh engine on the
// calling thread; on a thread other than the home thread that thread must have an apartment of
// its own (ComInitialize), else Parse fails.
//
// Limits: the engine refuses texts over 8 Mi UTF-16 units and stops a script at 256 MiB of
// memory; JSON nested deeper than 1000 levels does not parse.
class JsonDocument {
public:
    // variableName "da", with an engine holding the embedded script and the value {}. Without an
    // engine (the component could not be made) the document stays empty for good.
    JsonDocument();
    ~JsonDocument();
    JsonDocument(JsonDocument&& other) noexcept;
    JsonDocument& operator=(JsonDocument&& other) noexcept;
    JsonDocument(const JsonDocument&) = delete;
    JsonDocument& operator=(const JsonDocument&) = delete;

    // A second document on the same engine: it and this one see and change the same value.
    JsonDocument Copy() const;

    // Replaces the engine by a fresh one (values set earlier are gone; copies keep the old
    // engine) and loads `json` into it. Unless `asLiteral` is true the text must be strict JSON,
    // read by the engine's JSON parser and never run as script; with `asLiteral` true it is
    // script source that the caller wrote, run as the right side of an assignment. True when the
    // value is neither null nor undefined. An empty text gives an undefined value (false, no
    // error). `errorInfo`, when given, receives the engine's Error object (number 1002 and the
    // parser's message for text that is not JSON).
    bool Parse(const Text& json, std::optional<bool> asLiteral = {},
               ScriptErrorInfo* errorInfo = nullptr);

    // The value becomes {}. The result is the assigned object as a boolean: always false.
    bool Clear();
    // The whole value as JSON; "{}" for a new document.
    Text ToJson();

    // Stores `value` at the path. As text (valueIsScript false) the node becomes that string,
    // whatever characters it holds; the result is then false unless the text itself reads as a
    // boolean or number ("true", "1"). As script: an existing object node is merged with the
    // value's members (strings, numbers, booleans, null and missing members overwritten, objects
    // merged recursively, function members kept); any other node is replaced by the value. An
    // empty script value stands for {}. The result is the assigned value as a boolean.
    bool SetValue(const Text& path, const Text& value, bool valueIsScript = false);
    // The node becomes eval(expression); `expression` is script the caller wrote.
    bool SetExpression(const Text& path, const Text& expression);

    // Turns `path` into the full expression rooted at the variable: '' → 'da', '[2]' → 'da[2]',
    // 'data' → 'da.data'. A path that already begins with "da" and names an existing node is left
    // as it is. True when the node exists (neither null nor undefined).
    bool ResolvePath(Text& path);
    bool Exists(const Text& path = Text());
    JsonNodeType GetType(const Text& path = Text());

    // A string node's characters, a number's JavaScript text ('12', '0.5'), 'true'/'false', an
    // object's '[object Object]', an array's elements joined by ","; with asJson the node as JSON.
    // Empty for null and missing nodes.
    Text GetText(const Text& path = Text(), bool asJson = false);
    // The member names of an object node (for-in order, functions left out) replace `names`;
    // the result is their number, 0 for anything but an object.
    int GetMemberNames(std::vector<Text>& names, const Text& path = Text());
    // The length of an array node; 0 for anything else.
    int GetCount(const Text& path = Text());

    // The node as an independent document of its own (a new engine, the node's JSON parsed into
    // it). A missing node gives a document whose reads are all empty. The child belongs to the
    // caller and is made on the calling thread.
    JsonDocument GetNode(const Text& path = Text());
    // As GetNode for element `index` (from 0) of the array at the path.
    JsonDocument GetElement(int index, const Text& path = Text());

    // Appends `value` to the array at the path (or puts it in front); a node that is not an
    // array is first replaced by an empty array. As text the value is stored exactly; as script
    // it is evaluated. True when the push happened.
    bool AddElement(const Text& value, const Text& path = Text(), bool valueIsScript = false,
                    bool atFront = false);
    // Element `index` of the array at the path: its characters when it is a string (empty for
    // any other element), or any element as JSON with asJson.
    Text GetElementText(int index, const Text& path = Text(), bool asJson = false);
    // Element `index` becomes `value` (as text, or evaluated as script). The result is the
    // assigned value as a boolean.
    bool SetElement(int index, const Text& path, const Text& value, bool valueIsScript = false);
    // Removes element `index`. The result is the removed-elements array as a boolean: false.
    bool RemoveElement(int index, const Text& path = Text());
    // Deletes the member at the path; true when the engine reports it deleted (also when it was
    // missing).
    bool DeleteMember(const Text& path);
    // The node becomes the number; true when the number is not zero (the value as a boolean).
    bool SetNumber(const Text& path, double number);
    // The node's number (a string that spells one converts); 0 for anything else.
    double GetNumber(const Text& path = Text());
    // The node as JSON, as GetText with asJson.
    Text GetJson(const Text& path = Text());
    // A second reference to the engine object (empty without one); the caller releases it.
    automation::ObjectRef GetEngine() const;

    // The string, number and boolean members of the node (with `recursive`, also those of all
    // nested objects and arrays) in for-in order, as texts, replace `values`; the result is
    // their number. A last value that is empty is dropped. Backslashes stored by SetValue come
    // back as U+2400, which GBK cannot hold ("?").
    int GetLeafValues(std::vector<Text>& values, const Text& path = Text(), bool recursive = false);

private:
    // One ComInitialize on the thread that made it, and its ComUninitialize there.
    class ApartmentRef {
    public:
        ApartmentRef();
        ~ApartmentRef();
        ApartmentRef(ApartmentRef&& other) noexcept;
        ApartmentRef& operator=(ApartmentRef&& other) noexcept;
        bool IsOnThisThread() const;

    private:
        void Release();
        std::thread::id thread_;
        bool held_ = false;
    };

    struct WithoutEngine {};
    explicit JsonDocument(WithoutEngine);

    void Initialize();
    void ReplaceEngine();
    bool Load(const Text& json, bool asLiteral, ScriptErrorInfo* errorInfo);
    JsonDocument ChildFromJson(const Text& json) const;
    Text Resolve(const Text& path);
    Text NodeJson(const Text& expression);

    std::optional<automation::Variant> Run(std::string_view method,
                                           const automation::Variant& code) const;
    bool EvalBool(const Text& code) const;
    double EvalNumber(const Text& code) const;
    int EvalInt(const Text& code) const;
    Text EvalText(const Text& code) const;

    Text variableName_;
    std::optional<ApartmentRef> apartment_;  // released after the engine (declared before it)
    automation::ObjectRef engine_;
};
