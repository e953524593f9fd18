#pragma once
// The session bus connected while the window system is being connected. Qt's accessibility
// bridge, through which a screen reader follows the window, connects to it at the first change
// a control reports, long before the window is shown, and waits until it is connected; where
// there is no session bus, until the attempt to start one has failed.
#include <thread>

namespace stellmark::platform {

class BusWarmup {
public:
    // Before the application object: the connection is made beside its construction.
    BusWarmup();

private:
    std::jthread thread_;
};

}  // namespace stellmark::platform
