#include "platform/Wait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include "platform/TimeScale.h"

namespace Wait {
void Ms(int milliseconds) {
    const int scaled = TimeScale::Ms(milliseconds);
    if (scaled <= 0 || !QCoreApplication::instance()) return;
    QEventLoop loop;
    QTimer::singleShot(scaled, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}
}  // namespace Wait

void Pump() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
}
