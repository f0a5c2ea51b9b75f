// The program's loaded windows, in the order they were loaded.
#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

namespace tramsel {

/// The open-windows collection: every loaded window, hidden ones included,
/// in loading order. The main window is loaded first and stands at index 0.
/// A window is added when it is loaded and removed when it is unloaded (or,
/// failing that, destroyed).
class LoadedWindows {
public:
    void load(QWidget *window);
    void unloaded(QWidget *window);

    qsizetype count() const;
    QWidget *at(qsizetype index) const;
    bool contains(const QWidget *window) const;

    /// The loaded window of that class, or nullptr: each window class of the
    /// program is loaded at most once.
    template <class Window> Window *find() const
    {
        for (const auto &window : windows_)
            if (auto *found = qobject_cast<Window *>(window.data()))
                return found;
        return nullptr;
    }

private:
    void forgetDestroyed();

    QList<QPointer<QWidget>> windows_;
};

} // namespace tramsel
