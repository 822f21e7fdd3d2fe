#include "app/event_wait.h"

#include <QEventLoop>
#include <QTimer>

void waitWithEvents(const std::function<bool()>& done, int pollMs) {
    if (done()) return;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    poll.start(pollMs);
    loop.exec();
}
