// A whole program for window tests: a recording directory, a fixed locale and
// clock, and message boxes answered at once.
#pragma once

#include <functional>

#include <QtWidgets>

#include "main/qt/program.h"
#include "ui/qt/loaded_windows.h"
#include "ui/qt/message_box.h"
#include "platform/qt/qt_locale.h"
#include "support/fakes.h"

namespace tramsel::testing {

// Records every message and "presses OK" at once, after running onShow.
class RecordingMessageBox final : public MessageBoxService {
public:
    QStringList texts;
    std::function<void()> onShow;

    void showError(QWidget *, const QString &text) override
    {
        texts << text;
        (onShow ? onShow : [] {})();
    }
};

struct TestProgram {
    ScriptedSource source;
    QtLocale locale{QLocale(QLocale::English, QLocale::UnitedStates)};
    RecordingMessageBox messageBox;
    LoadedWindows windows;
    QDateTime clock{QDate(2003, 6, 18), QTime(23, 25, 7)};
    std::string errorOutput;
    Services services{source, locale, messageBox, windows, [this] { return clock; },
                      [this](const std::string &text) { errorOutput += text; }};

    TestProgram() { source.found.reset(); }

    // Windows refer to the program: they all go before it does.
    ~TestProgram()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        while (windows.count() > 0)
            delete windows.at(windows.count() - 1);
    }
};

} // namespace tramsel::testing
