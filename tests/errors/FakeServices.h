#pragma once
// Platform services that record every call in order; Yes/No questions get `answer`.
#include <string>
#include <vector>

#include "platform/Services.h"

namespace stellmark::test {

struct FakeServices : platform::Services {
    platform::Answer MessageBox(const std::string& text, const std::string&, platform::Icon,
                                platform::Buttons buttons) override
    {
        calls.push_back("box " + text);
        return buttons == platform::Buttons::Ok ? platform::Answer::Ok : answer;
    }
    std::optional<std::string> OpenFile(const platform::FileDialogRequest&) override { return {}; }
    std::optional<std::string> SaveFile(const platform::FileDialogRequest&) override { return {}; }
    // No browser: the program must go on without one.
    bool ShellOpen(const std::string& target, const std::string& workingDir) override
    {
        calls.push_back("open " + target + (workingDir.empty() ? "" : " in " + workingDir));
        return false;
    }
    void SetClipboardText(const std::string& text) override { calls.push_back("clip " + text); }
    void Beep() override { calls.push_back("beep"); }

    platform::Answer answer = platform::Answer::No;
    // "box TEXT", "open TARGET" (and " in FOLDER" where one is asked), "clip TEXT", "beep"
    std::vector<std::string> calls;
};

}  // namespace stellmark::test
