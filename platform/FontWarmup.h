#pragma once
// The font configuration read while the window system is being connected: the first window
// with text needs it before it can be drawn, and reading it takes longer than anything else of
// the start. Join before the first font is used.
#include <thread>

namespace stellmark::platform {

class FontWarmup {
public:
    FontWarmup();
    ~FontWarmup() { Join(); }
    FontWarmup(const FontWarmup&) = delete;
    FontWarmup& operator=(const FontWarmup&) = delete;
    void Join();

private:
    std::thread thread_;
};

}  // namespace stellmark::platform
