// The remote's command line: the switch "autostart" (any letter case, after "/" or "-") is
// recognised and the parameter after it kept; nothing in the program depends on either, the switch
// exists because the installer's start entry passes it. Portable; UI thread at start-up.
#pragma once

#include <string>
#include <vector>

namespace tesmora {

class RemoconCommandLine {
public:
    // One argument, as the platform's parser hands them over: `isFlag` when it began with "/" or "-"
    // (`param` is then without that mark), `isLast` for the last argument.
    void ParseParam(const std::u16string& param, bool isFlag, bool isLast);
    // All arguments after the program name.
    void ParseArguments(const std::vector<std::u16string>& arguments);

    bool AutoStart() const { return autoStart_; }
    const std::u16string& AutoStartParameter() const { return autoStartParameter_; }

private:
    bool autoStart_ = false;
    bool expectParameter_ = false;
    std::u16string autoStartParameter_;
};

}  // namespace tesmora
