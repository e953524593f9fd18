#include "platform/Services.h"

#include <cstdio>

namespace stellmark::platform {

namespace {
// Used until a front end installs its own: nobody to ask, so every dialog counts as cancelled
// and a message only goes to the error stream.
class NoServices final : public Services {
public:
    Answer MessageBox(const std::string& text, const std::string& title, Icon, Buttons buttons) override
    {
        std::fprintf(stderr, "%s: %s\n", title.empty() ? "Stellmark" : title.c_str(), text.c_str());
        return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
    std::optional<std::string> OpenFile(const FileDialogRequest&) override { return {}; }
    std::optional<std::string> SaveFile(const FileDialogRequest&) override { return {}; }
    bool ShellOpen(const std::string&, const std::string&) override { return false; }
    void SetClipboardText(const std::string&) override {}
    void Beep() override {}
};

NoServices& Fallback()
{
    static NoServices none;
    return none;
}

Services*& Current()
{
    static Services* current = nullptr;
    return current;
}
}  // namespace

Services& Get() { return Current() ? *Current() : Fallback(); }

Services* Set(Services* services)
{
    Services* previous = Current();
    Current() = services;
    return previous;
}

}  // namespace stellmark::platform
