#pragma once

#include <cstddef>

// The script control, registered as "MSScriptControl.ScriptControl": one JavaScript (ECMAScript
// E5.1, Duktape) global environment per object, driven by name through automation.
//
// Members:
//   Language (get/put): "" until written. "JavaScript" and "JScript" (any ASCII case) select the
//     engine; any other name is stored, and AddCode and Eval then fail. Writing it discards all
//     script state.
//   AddCode(code): runs the statements in the global scope; declarations stay for later calls.
//   Eval(text): evaluates an expression (or statements, giving the last expression's value) in
//     the global scope. A string comes back as a string, a number as a number, a boolean as a
//     boolean; undefined and null give the empty value, and so does every value a variant cannot
//     carry (objects, arrays, functions): the call succeeds, the value is not handed out.
//   Error (get): the Error object (see ScriptError.h): the last failure's Number, Source,
//     Description, HelpFile, HelpContext, Text, Line, Column, and Clear. AddCode and Eval clear
//     it when they start and fill it when they fail.
//
// A failing AddCode or Eval (a script error, a refused call) is a failed call: it returns
// nothing. Limits: texts of at most kMaxScriptUnits UTF-16 units; each object's heap has a budget
// of DuktapeHeap::kDefaultBudget (256 MiB), past which the script gets an out-of-memory error.
// There is no time limit: a script that loops for ever never returns, so hand it only code you
// wrote (strict JSON from outside goes through JSON.parse). Program texts of 512 bytes and more
// that recur (a script loaded into every new object) are compiled once per process and loaded
// as bytecode afterwards. Calls on one object are serialised; objects are independent.
namespace com {

void RegisterScriptControl();

namespace script {
inline constexpr std::size_t kMaxScriptUnits = std::size_t{8} << 20;
}

}  // namespace com
