#include "platform/BusWarmup.h"

#include <QDBusConnection>
#include <QThread>

namespace stellmark::platform {

BusWarmup::BusWarmup()
{
    // Qt takes the first thread that asks for its thread data as the main thread: this one
    // asks before the bus thread does.
    QThread::currentThread();
    thread_ = std::jthread([] { QDBusConnection::sessionBus(); });
}

}  // namespace stellmark::platform
