// The main window's status panel widths, report warnings and unload order.
#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

#include "main/main_window.h"

namespace tramsel::main_window {
namespace {

TEST(MainWindow, PanelWidths)
{
    struct Row {
        int date, time, status, dateWidth, timeWidth;
    };
    // A 314-pixel bar, 96-pixel minimum and 2-pixel gaps, as at 96 dpi.
    const Row rows[] = {
        {60, 50, 118, 96, 96},    // short texts take the minimum
        {110, 60, 104, 110, 96},  // a long date widens its panel
        {150, 150, 96, 150, 150}, // the first panel keeps its minimum
    };
    for (const Row &row : rows) {
        const PanelWidths w = panelWidths(314, row.date, row.time, 96, 2);
        EXPECT_EQ(std::vector<int>({w.status, w.date, w.time}),
                  std::vector<int>({row.status, row.dateWidth, row.timeWidth}));
    }
}

TEST(MainWindow, ReportWarnings)
{
    struct Row {
        ReportOutcome outcome;
        std::string warnings;
    };
    const Row rows[] = {
        {{false, "failure", "no user x on WEB01", {}, {}}, "no user x on WEB01\n"},
        {{false, "failure", "", {}, {}}, ""},
        {{true, "report", "ignored once bound", {"dc2.sales.test: down", "dc3.sales.test: timed out"}, {}},
         "dc2.sales.test: down; its answers are missing\ndc3.sales.test: timed out; its answers are missing\n"},
    };
    for (const Row &row : rows)
        EXPECT_EQ(reportWarnings(row.outcome), row.warnings) << row.outcome.reason;
}

TEST(MainWindow, UnloadGoesFromTheLatestDownToOneAndPastFailures)
{
    std::vector<std::size_t> tried;
    const auto unload = [&](std::size_t i) {
        tried.push_back(i);
        if (i == 2)
            throw std::runtime_error("stubborn");
    };
    unloadOtherWindows(0, unload);
    unloadOtherWindows(4, unload);
    EXPECT_EQ(tried, (std::vector<std::size_t>{3, 2, 1}));
}

} // namespace
} // namespace tramsel::main_window
