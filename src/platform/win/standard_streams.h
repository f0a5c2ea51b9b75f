// Standard output and standard error of a GUI-subsystem program: the handles
// it inherited (a pipe or a file), else the console of the process that
// started it.
#pragma once

#include <string>

namespace tramsel::win {

// Writes both texts (UTF-8, LF line ends, written as CR LF). Returns false
// when a text had nowhere to go: no inherited handle and no parent console.
bool writeStandardStreams(const std::string &out, const std::string &err);

} // namespace tramsel::win
