#pragma once
// Platform services that record every call in order instead of showing anything: file dialogs
// take their answers from a script (cancelled once it runs out), Yes/No questions get `answer`.
// Also the instance lock, held by another instance when `another` is set.
#include <optional>
#include <string>
#include <vector>

#include "platform/InstanceLock.h"
#include "platform/Services.h"

namespace stellmark::test {

struct FakeServices : platform::Services, platform::InstanceLock {
    platform::Answer MessageBox(const std::string& text, const std::string& title, platform::Icon icon,
                                platform::Buttons buttons) override
    {
        static const char* const icons[] = {"None", "Information", "Exclamation", "Critical", "Question"};
        calls.push_back("box " + text);
        boxes.push_back(title + " (" + icons[static_cast<int>(icon)] + "): " + text);
        return buttons == platform::Buttons::Ok ? platform::Answer::Ok : answer;
    }
    std::optional<std::string> OpenFile(const platform::FileDialogRequest& r) override { return Ask(r); }
    std::optional<std::string> SaveFile(const platform::FileDialogRequest& r) override { return Ask(r); }
    // No browser: the program must go on without one.
    bool ShellOpen(const std::string& target, const std::string& workingDir) override
    {
        calls.push_back("open " + target + (workingDir.empty() ? "" : " in " + workingDir));
        return false;
    }
    void SetClipboardText(const std::string& text) override { calls.push_back("clip " + text); }
    void Beep() override { calls.push_back("beep"); }
    bool Acquire() override { return !another; }

    std::optional<std::string> Ask(const platform::FileDialogRequest& r)
    {
        asked.push_back(r);
        return asked.size() <= answers.size() ? answers[asked.size() - 1] : std::nullopt;
    }

    // "box TEXT", "open TARGET" (and " in FOLDER" where one is asked), "clip TEXT", "beep"
    std::vector<std::string> calls;
    std::vector<std::string> boxes;                   // "TITLE (ICON): TEXT" of each message box
    std::vector<platform::FileDialogRequest> asked;   // open and save dialogs alike, in turn
    std::vector<std::optional<std::string>> answers;  // the answer to each of them
    platform::Answer answer = platform::Answer::No;
    bool another = false;  // another instance runs
};

}  // namespace stellmark::test
