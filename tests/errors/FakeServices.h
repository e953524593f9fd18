#pragma once
// Platform services that record what they were asked and answer message boxes from a script.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "Services.h"

namespace stellmark::test {

class FakeServices : public platform::Services {
public:
    struct Box {
        std::string text;
        std::string title;
        platform::Icon icon;
        platform::Buttons buttons;
    };

    platform::Answer MessageBox(const std::string& text, const std::string& title,
                                platform::Icon icon, platform::Buttons buttons) override
    {
        boxes.push_back({text, title, icon, buttons});
        events.push_back("box");
        if (buttons == platform::Buttons::Ok)
            return platform::Answer::Ok;
        if (answers.empty())
            return platform::Answer::No;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<std::string> OpenFile(const platform::FileDialogRequest&) override { return {}; }
    std::optional<std::string> SaveFile(const platform::FileDialogRequest&) override { return {}; }
    bool ShellOpen(const std::string& target) override
    {
        opened.push_back(target);
        events.push_back("open");
        return shellWorks;
    }
    void SetClipboardText(const std::string& text) override
    {
        clipboard = text;
        events.push_back("clipboard");
    }
    void Beep() override
    {
        ++beeps;
        events.push_back("beep");
    }

    std::deque<platform::Answer> answers;
    bool shellWorks = true;
    std::vector<Box> boxes;
    std::vector<std::string> opened;
    std::string clipboard;
    int beeps = 0;
    std::vector<std::string> events;  // order of the calls, shared with the test's own notes
};

}  // namespace stellmark::test
