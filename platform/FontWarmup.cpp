#include "platform/FontWarmup.h"

#include <fontconfig/fontconfig.h>

namespace stellmark::platform {

// Fontconfig loads its configuration once per process; Qt's font database takes it from there.
FontWarmup::FontWarmup() : thread_([] { FcInit(); }) {}

void FontWarmup::Join()
{
    if (thread_.joinable())
        thread_.join();
}

}  // namespace stellmark::platform
