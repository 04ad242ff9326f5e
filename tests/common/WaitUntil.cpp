#include "common/WaitUntil.h"

#include <QEventLoop>
#include <QTimer>

namespace orvtest {

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    if (condition())
        return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (condition())
            loop.quit();
    });
    poll.start(5);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return condition();
}

void processEventsFor(int durationMs) {
    waitUntil([] { return false; }, durationMs);
}

} // namespace orvtest
