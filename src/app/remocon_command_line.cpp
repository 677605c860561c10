// The remote's command-line parser (see remocon_command_line.h).
#include "app/remocon_command_line.h"

namespace tesmora {

namespace {

bool EqualsIgnoringAsciiCase(const std::u16string& text, const char* word) {
    size_t i = 0;
    for (; word[i] != '\0'; ++i) {
        if (i >= text.size()) return false;
        char16_t c = text[i];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != static_cast<char16_t>(word[i])) return false;
    }
    return i == text.size();
}

}  // namespace

void RemoconCommandLine::ParseParam(const std::u16string& param, bool isFlag, bool /*isLast*/) {
    if (isFlag && EqualsIgnoringAsciiCase(param, "autostart")) {
        autoStart_ = true;
        expectParameter_ = true;
        return;
    }
    if (expectParameter_) {
        autoStartParameter_ = param;
        expectParameter_ = false;
    }
}

void RemoconCommandLine::ParseArguments(const std::vector<std::u16string>& arguments) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::u16string& argument = arguments[i];
        bool isFlag = !argument.empty() && (argument[0] == u'/' || argument[0] == u'-');
        ParseParam(isFlag ? argument.substr(1) : argument, isFlag, i + 1 == arguments.size());
    }
}

}  // namespace tesmora
