#include "tests/support/CoreApp.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

void ensureCoreApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "model_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    (void)app;
}

bool processEventsUntil(const std::function<bool()>& done, int msecs) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < msecs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return done();
}
