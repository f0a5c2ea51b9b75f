// Message boxes that tell the user what is wrong with an entry.
#pragma once

#include <QString>

class QWidget;

namespace tramsel {

/// Tells the user about a bad entry and waits until the user has read it.
class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;

    /// Shows the text (lines end in CR LF) over the given window and returns
    /// once the user has pressed OK. No window of the program takes input meanwhile.
    virtual void showError(QWidget *over, const QString &text) = 0;
};

/// A QMessageBox: information icon, one OK button, title "Tramsel - Error",
/// modal to the whole program.
class QtMessageBox final : public MessageBoxService {
public:
    void showError(QWidget *over, const QString &text) override;
};

} // namespace tramsel
