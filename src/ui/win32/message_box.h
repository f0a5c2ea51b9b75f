// The program's message boxes on Windows.
#pragma once

#include <string>

namespace tramsel::win {

// An information box with one OK button, titled "Tramsel - Error", modal to
// the whole program: every window of the thread is disabled until OK.
// Returns when the user has pressed OK. The message is UTF-8.
void showError(const std::string &message);

} // namespace tramsel::win
