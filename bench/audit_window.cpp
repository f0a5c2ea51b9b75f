// The audit window with 100,000 rows (or argv[1]): how long a sort by each
// column takes, from the click to the table drawn again, and what the window
// holds per row beyond the listed records. See audit_window.sh.
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>

#include <QApplication>
#include <QHeaderView>
#include <QTableView>

#include "audit/qt/account_table.h"
#include "generated_accounts.h"
#include "platform/qt/qt_locale.h"

using namespace tramsel;

namespace {

// What the heap holds, the blocks it maps for large vectors included.
std::size_t heapBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

} // namespace

int main(int argc, char **argv)
{
    const std::size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100'000;
    QApplication app(argc, argv);
    const QtLocale locale;
    audit_window::VisibleColumns columns;
    audit_window::Rows rows;
    AccountTable model(rows, columns, locale, nullptr);
    QTableView view;
    view.setModel(&model);
    view.verticalHeader()->hide();
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.resize(1000, 700);
    view.show();
    QCoreApplication::processEvents();

    std::mt19937_64 random(42);
    const std::size_t before = heapBytes();
    for (std::size_t i = 0; i < count; ++i)
        rows.add(bench::generatedAccount(random));
    const std::size_t records = heapBytes();
    rows.refresh();
    model.reset();
    view.repaint();
    const std::size_t shown = heapBytes();
    std::printf("%zu rows: %.0f bytes a record; the window %.1f bytes a row beyond it\n", count,
                double(records - before) / double(count), double(shown - records) / double(count));

    std::printf("%-22s %12s %12s   (CPU time: the machine may be busy)\n", "sorted by", "ascending", "descending");
    const auto columnsAll = accountColumns();
    double slowest = 0;
    for (std::size_t c = 0; c < columnsAll.size(); ++c) {
        double ms[2], cpu[2];
        for (const bool descending : {false, true}) {
            const auto start = std::chrono::steady_clock::now();
            const std::clock_t cpuStart = std::clock();
            rows.sortBy(c, descending);
            rows.refresh();
            model.reset();
            view.repaint();
            ms[descending] = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            cpu[descending] = 1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
            slowest = std::max(slowest, cpu[descending]);
        }
        std::printf("%-22.*s %9.1f ms %9.1f ms   (CPU %.1f, %.1f)\n", int(columnsAll[c].key.size()),
                    columnsAll[c].key.data(), ms[0], ms[1], cpu[0], cpu[1]);
    }
    std::printf("slowest sort, click to drawn: %.1f ms of CPU (aim: at most 300 ms)\n"
                "while sorting, the window holds besides: one cell a row (%zu bytes, and a text cell's copy of its text)\n",
                slowest, sizeof(Cell));
}
