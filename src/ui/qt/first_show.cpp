// Running a window's load code after its first show.
#include "ui/qt/first_show.h"

#include <QEvent>
#include <QMetaObject>
#include <QWidget>

namespace tramsel {
namespace {

class FirstShowWatcher final : public QObject {
public:
    FirstShowWatcher(QWidget *window, std::function<void()> load)
        : QObject(window), window_(window), load_(std::move(load))
    {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == window_ && event->type() == QEvent::Show) {
            window_->removeEventFilter(this);
            // Queued: the show under way finishes (and maps the window) first.
            QMetaObject::invokeMethod(window_, std::move(load_), Qt::QueuedConnection);
            deleteLater();
        }
        return false;
    }

private:
    QWidget *window_;
    std::function<void()> load_;
};

} // namespace

void runAfterFirstShow(QWidget *window, std::function<void()> load)
{
    new FirstShowWatcher(window, std::move(load));
}

} // namespace tramsel
