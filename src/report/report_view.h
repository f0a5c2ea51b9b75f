// Where a finished report goes.
#pragma once

#include <string>

namespace tramsel {

/// The report area of the main window (or standard output, from the command line).
class ReportView {
public:
    virtual ~ReportView() = default;

    /// Replaces the whole text of the report area. Lines end in CR LF.
    virtual void replaceReportText(const std::string &text) = 0;
};

} // namespace tramsel
