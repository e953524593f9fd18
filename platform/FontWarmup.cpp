#include "platform/FontWarmup.h"

#include <QFontDatabase>
#include <QStringList>
#include <fontconfig/fontconfig.h>

namespace stellmark::platform {

// Fontconfig loads its configuration once per process; Qt's font database takes it from there.
// The database is shared by all threads and filled once, under Qt's own lock.
FontWarmup::FontWarmup()
    : thread_([fill = fill_.get_future()]() mutable {
          FcInit();
          if (fill.get())
              QFontDatabase::families();
      })
{
}

FontWarmup::~FontWarmup()
{
    if (thread_.joinable())
        fill_.set_value(false);
}

std::jthread FontWarmup::FillDatabase()
{
    fill_.set_value(true);
    return std::move(thread_);
}

}  // namespace stellmark::platform
