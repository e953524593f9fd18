#pragma once
// The fonts made ready beside the rest of the start: the font configuration is read while the
// window system is being connected, and Qt's font database is filled while the window's
// controls are being made. The first window with text needs both before it can be drawn, and
// reading them takes longer than anything else of the start.
#include <future>
#include <thread>

namespace stellmark::platform {

class FontWarmup {
public:
    FontWarmup();
    // Without a call of FillDatabase, only the configuration is read.
    ~FontWarmup();
    FontWarmup(const FontWarmup&) = delete;
    FontWarmup& operator=(const FontWarmup&) = delete;

    // Once the application object exists: the thread goes on to fill the font database, and is
    // joined when the returned object ends, which must be before the application object does.
    [[nodiscard]] std::jthread FillDatabase();

private:
    std::promise<bool> fill_;
    std::jthread thread_;
};

}  // namespace stellmark::platform
