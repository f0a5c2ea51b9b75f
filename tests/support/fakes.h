// Test doubles for the report's ports: a fixed locale, a scripted source
// that records what it is asked, and a report area that keeps what it is given.
#pragma once

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "report/account_source.h"
#include "report/locale.h"
#include "report/report_view.h"

namespace tramsel::testing {

// What the report area shows when WinNT://SALES/nobody,user cannot be bound.
inline const std::string kFailureSalesNobody =
    "\r\n"
    "No such NT account: 'SALES\\nobody',\r\n"
    "or ADSI is not installed on your computer.\r\n"
    "You need to install ADSI:\r\n"
    "http://download.microsoft.com/ntserver/downloads/bin/nts/adsx86.exe\r\n"
    "or use Windows 2000\r\n"
    "\r\n";

// US-style: 6/18/2003 and 11:25:07 PM; the decimal separator and the user's
// clock (seconds ahead of UTC) are settable.
class FakeLocale final : public Locale {
public:
    explicit FakeLocale(std::string separator = ".", int offset = 0) : separator_(std::move(separator)), offset_(offset) {}

    // Instants on the user's clock; wall-clock times as they are.
    LocalTime localTime(const DateTime &t) const override
    {
        return {offset_ && t.isInstant() ? t.minusSeconds(-offset_)->civil() : t.civil(), offset_};
    }
    // ASCII, or Turkish-like: "i" becomes "\u0130" and "\u00fc" becomes "\u00dc".
    bool turkish = false;

    std::string toUpper(std::string_view text) const override
    {
        std::string upper;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (turkish && text[i] == 'i')
                upper += "\xc4\xb0";
            else if (turkish && text.substr(i, 2) == "\xc3\xbc")
                upper += "\xc3\x9c", ++i;
            else
                upper += text[i] >= 'a' && text[i] <= 'z' ? static_cast<char>(text[i] - 32) : text[i];
        }
        return upper;
    }
    std::string dateText(const CivilDateTime &d) const override
    {
        return std::to_string(d.month) + "/" + std::to_string(d.day) + "/" + std::to_string(d.year);
    }
    std::string timeText(const CivilDateTime &d) const override
    {
        const int h12 = d.hour % 12 == 0 ? 12 : d.hour % 12;
        const auto two = [](int n) { return (n < 10 ? "0" : "") + std::to_string(n); };
        return std::to_string(h12) + ":" + two(d.minute) + ":" + two(d.second)
            + (d.hour < 12 ? " AM" : " PM");
    }
    std::string clockText(const CivilDateTime &d) const override
    {
        const std::string text = timeText(d);
        return text.substr(0, text.size() - 6) + text.substr(text.size() - 3);
    }
    std::string decimalSeparator() const override { return separator_; }

private:
    std::string separator_;
    int offset_;
};

// A source with scripted answers that records what it is asked. It finds
// `found` under any name (nothing: no such account), and lists `records`.
class ScriptedSource final : public AccountSource {
public:
    std::optional<AccountRecord> found = AccountRecord{};
    std::string reason = "no such account";    // why not, when nothing is found
    std::vector<std::string> missing, unread;  // what a found account's answers lack
    std::vector<Source> sources;
    bool throws = false;
    std::function<void()> onLookup;            // runs first in every lookup
    std::vector<std::string> asked;            // each name looked up, as "DOMAIN\user"

    std::vector<AccountRecord> records;
    Listing listing;                           // what list() returns
    PerController perDc;                       // what perController() returns
    std::vector<Request> requests;

    Lookup lookup(const AccountName &name) override
    {
        if (onLookup)
            onLookup();
        asked.push_back(name.domain + "\\" + name.user);
        if (throws)
            throw std::runtime_error("lookup");
        if (!found)
            return {std::nullopt, {Failure::Kind::NotFound, reason}, sources, missing, {}};
        return {found, {}, sources, missing, unread};
    }
    Listing list(const Request &request, const RowSink &row, const ProgressSink &progress) override
    {
        requests.push_back(request);
        if (throws)
            throw std::runtime_error("out of memory");
        for (AccountRecord record : records)
            row(std::move(record));
        progress({listing.sources.size(), listing.sources.size(), records.size()});
        return listing;
    }
    PerController perController(const AccountName &name) override
    {
        asked.push_back(name.domain + "\\" + name.user);
        return perDc;
    }
};

// A report area that records every text it is given, in order.
class RecordingView final : public ReportView {
public:
    std::vector<std::string> texts;
    bool throws = false;

    void replaceReportText(const std::string &text) override
    {
        texts.push_back(text);
        if (throws)
            throw std::runtime_error("write");
    }
};

} // namespace tramsel::testing
