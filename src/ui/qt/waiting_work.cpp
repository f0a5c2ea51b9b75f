// Work on a thread of its own under a wait cursor.
#include "ui/qt/waiting_work.h"

#include <exception>
#include <thread>

#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>

namespace tramsel {

void runWhileWaiting(const std::function<void()> &work)
{
    QEventLoop loop;
    std::exception_ptr thrown;
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            thrown = std::current_exception();
        }
        // Queued: delivered by the loop below even if it has not started yet.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    QGuiApplication::restoreOverrideCursor();
    if (thrown)
        std::rethrow_exception(thrown);
}

} // namespace tramsel
