// What the audit window decides, whatever toolkit draws it: its texts, the
// filters its controls set, the rows it shows and in which order, its
// status line, what Ctrl+C copies and what Save As writes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "output/writers.h"
#include "report/account_source.h"
#include "report/columns.h"
#include "report/filters.h"
#include "report/sorting.h"

namespace tramsel {

class Locale;

namespace audit_window {

inline constexpr const char *kCaption = "Tramsel - Audit Accounts";
inline constexpr const char *kListText = "&List";
inline constexpr const char *kStopText = "&Stop";
inline constexpr const char *kSaveText = "&Save As...";
inline constexpr const char *kCloseText = "&Close";
inline constexpr const char *kMenuText = "&Audit Accounts...";  // mnuAudit, Ctrl+U
inline constexpr char kMenuShortcut = 'U';
inline constexpr int kInactiveDays = 90;
inline constexpr int kExpiresDays = 14;
inline constexpr int kMostDays = 3650000;  // as the command line takes

// cboState's choices, in order.
enum class State { Any, Enabled, Disabled };
inline constexpr std::array<const char *, 3> kStateTexts{"Any", "Enabled", "Disabled"};

// The columns shown until the user chooses others.
inline constexpr std::array<std::string_view, 8> kDefaultColumns{
    "account", "fullName", "lastLogin", "lastFailedLogin", "badLoginCount", "passwordExpires", "disabled", "locked"};

// The filter controls as the user left them.
struct FilterControls {
    bool inactive = false;  // chkInactive
    int inactiveDays = kInactiveDays;
    bool neverLoggedIn = false;  // chkNeverLoggedIn
    bool locked = false;         // chkLocked
    State state = State::Any;    // cboState
    bool passwordExpires = false;  // chkPasswordExpires
    int expiresDays = kExpiresDays;
};
// The command line's filters those controls stand for.
audit::Filters filtersOf(const FilterControls &controls);

// Whether Save As may write what a listing left: not when it failed or was
// broken off, where a part would pass for the whole.
inline bool canSave(const Listing &listing) { return !listing.failure; }

// Whether a listing's rows come from domain controllers, which the
// per-controller view can ask one by one: a controller is named by its LDAP
// URI, where a WinNT container is named by its path.
bool hasControllers(const Listing &listing);

// The rows of a listing: every account it handed over, and those shown, in
// the order shown. The shown rows are those the filters pass whose account
// or full name holds the find text (in any case), in the listing's order
// (the command line's, by user name) or sorted by one column as --sort
// sorts. Only indices are kept per row beyond the records themselves.
class Rows {
public:
    Rows();

    void clear();
    // Rows as they come; shown once refresh() runs.
    void add(AccountRecord &&record);
    // The filters pass on the accounts as they stood at `now`, the moment
    // the listing began, as the command line's do.
    void setFilters(const audit::Filters &filters, const audit::Now &now);
    void setFind(std::string_view text);
    // A click on the column's header: sorted by it ascending, or the other
    // way when it was sorted by it already.
    void sortByClick(std::size_t column);
    void sortBy(std::size_t column, bool descending);
    // Filters, finds and sorts again.
    void refresh();

    std::size_t total() const { return records_.size(); }
    std::size_t shown() const { return order_.size(); }
    const AccountRecord &shownRecord(std::size_t row) const { return records_[order_[row]]; }
    std::optional<std::size_t> sortColumn() const { return sortColumn_; }
    bool descending() const { return descending_; }

private:
    std::vector<AccountRecord> records_;
    std::vector<std::uint32_t> order_;
    audit::Filters filters_;
    audit::Now now_{};
    std::string find_;  // lower-case
    std::optional<std::size_t> sortColumn_;
    bool descending_ = false;
};

// Which columns are visible, over accountColumns().
class VisibleColumns {
public:
    VisibleColumns();  // the default set
    bool visible(std::size_t column) const { return visible_[column]; }
    // The last visible column stays: a table needs one.
    void toggle(std::size_t column);
    std::vector<std::size_t> indices() const;

private:
    std::vector<bool> visible_;
};

// A cell as the table output shows it, on one line.
std::string cellText(const AccountRecord &record, std::size_t column, const Locale &locale);

// The status line once a listing has ended.
struct Status {
    std::string text;     // "1,115 accounts, 37 shown; 2 of 2 controllers answered"
    bool warning = false; // a source did not answer, values are unknown, or nothing could be read
    std::string toolTip;  // the errors behind the warning, one a line
};
Status finishedStatus(const Listing &listing, const Rows &rows, const Locale &locale);
// While a listing runs: "1 of 2 controllers done, 1,115 accounts read".
std::string progressText(const Progress &progress, bool controllers, const Locale &locale);

// The selected rows (indices into the shown rows, in any order) as Ctrl+C
// copies them: a header line and one line a row in the shown order, of the
// visible columns, TAB between cells, CR LF after each line.
std::string copiedText(const Rows &rows, std::span<const std::size_t> selected,
                       std::span<const std::size_t> columns, const Locale &locale);

// The format Save As writes: a name ending in ".csv" or ".json" (in any
// case) says it; else the file type chosen in the dialog, whose extension
// the name then gets. `name` is changed to the file to write.
audit::Format saveFormat(std::string &name, audit::Format chosen);

// The shown rows, in the shown order and with every column, as the command
// line writes them: the same bytes as `tramsel --audit` with the same
// domain, filters and format, when sorted by user name.
std::string savedText(audit::Format format, const Rows &rows, const Listing &listing,
                      const DateTime &generated, const Locale &locale);

} // namespace audit_window
} // namespace tramsel
