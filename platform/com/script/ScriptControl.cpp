#include "platform/com/script/ScriptControl.h"

#include <memory>
#include <mutex>
#include <string>

#include "platform/com/ComponentRegistry.h"
#include "platform/com/script/BytecodeCache.h"
#include "platform/com/script/DuktapeEngine.h"
#include "platform/com/script/ScriptError.h"

namespace com {
namespace script {
namespace {

BytecodeCache& ProcessBytecodeCache() {
    static BytecodeCache cache;
    return cache;
}

bool IsJavaScript(std::u16string_view language) {
    auto equals = [&](std::u16string_view name) {
        if (language.size() != name.size()) return false;
        for (std::size_t i = 0; i < name.size(); ++i) {
            char16_t c = language[i];
            if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
            if (c != name[i]) return false;
        }
        return true;
    };
    return equals(u"javascript") || equals(u"jscript");
}

class ScriptControl : public Dispatch {
public:
    std::optional<Variant> Invoke(std::string_view member, InvokeKind kind,
                                  std::span<const Variant> args) override {
        std::lock_guard lock(mutex_);
        if (IsMember(member, "Language")) {
            if (kind == InvokeKind::PropertyGet) return Variant{language_};
            if (kind != InvokeKind::PropertyPut) return std::nullopt;
            auto language = StringArg(args, 0);
            if (!language) return std::nullopt;
            language_ = std::move(*language);
            engine_.reset();
            error_->Clear();
            return Variant{};
        }
        if (IsMember(member, "Error")) {
            if (kind != InvokeKind::PropertyGet) return std::nullopt;
            return Variant{ObjectPtr(error_)};
        }
        const bool isAddCode = IsMember(member, "AddCode");
        if (kind != InvokeKind::Method || !(isAddCode || IsMember(member, "Eval"))) {
            return std::nullopt;
        }
        auto code = StringArg(args, 0);
        if (!code) return std::nullopt;
        return Run(*code, isAddCode);
    }

private:
    std::optional<Variant> Run(const std::u16string& code, bool isAddCode) {
        error_->Clear();
        if (!IsJavaScript(language_)) return Refuse(u"language not supported: " + language_);
        if (code.size() > kMaxScriptUnits) return Refuse(u"script text too long");
        if (!engine_) {
            engine_ = DuktapeEngine::Create(&ProcessBytecodeCache());
            if (!engine_) return Refuse(u"script engine could not be created");
        }
        ScriptOutcome outcome = isAddCode ? engine_->AddCode(code) : engine_->Eval(code);
        if (auto* failure = std::get_if<ScriptFailure>(&outcome)) {
            error_->Set(ErrorFromFailure(*failure, code));
            return std::nullopt;
        }
        return std::get<Variant>(std::move(outcome));
    }

    std::optional<Variant> Refuse(std::u16string description) {
        error_->Set(ErrorFromRefusal(std::move(description)));
        return std::nullopt;
    }

    std::mutex mutex_;
    std::u16string language_;
    std::unique_ptr<DuktapeEngine> engine_;  // made by the first run after Language is written
    std::shared_ptr<ScriptErrorObject> error_ = std::make_shared<ScriptErrorObject>();
};

}  // namespace
}  // namespace script

void RegisterScriptControl() {
    RegisterComponent("MSScriptControl.ScriptControl",
                      [] { return std::make_shared<script::ScriptControl>(); });
}

}  // namespace com
