// Test doubles for the report's ports: a fixed locale, a scripted directory
// that records what it is asked, and a report area that keeps what it is given.
#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "report/directory_provider.h"
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

// US-style: 6/18/2003 and 11:25:07 PM; the decimal separator is settable.
class FakeLocale final : public Locale {
public:
    explicit FakeLocale(std::string separator = ".") : separator_(std::move(separator)) {}

    // Instants in UTC; wall-clock times as they are.
    LocalTime localTime(const DateTime &dateTime) const override { return {dateTime.civil(), 0}; }
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
};

// A directory holding one account whose properties are scripted. A property
// may be given several answers, handed out in turn (the last one repeats).
// A property with no answers fails to read; "throw" answers throw.
class RecordingProvider final : public DirectoryProvider {
public:
    struct Throw {};
    using Answer = std::variant<PropertyValue, std::monostate, Throw>;  // value, failure, throw

    bool bindSucceeds = true;
    bool bindThrows = false;
    std::string reason = "no such account";  // a failed bind's
    std::vector<std::string> missing;        // sources a bound account's answers lack
    std::function<void()> onBind;            // runs first in every bind
    std::vector<std::string> boundPaths;
    std::vector<std::string> asked;
    int released = 0;

    RecordingProvider &set(const std::string &name, PropertyValue value) { return script(name, {std::move(value)}); }
    RecordingProvider &script(const std::string &name, std::deque<Answer> answers)
    {
        answers_[name] = std::move(answers);
        return *this;
    }
    RecordingProvider &fail(const std::string &name) { return script(name, {}); }

    Binding bind(std::string_view path) override
    {
        if (onBind)
            onBind();
        boundPaths.emplace_back(path);
        if (bindThrows)
            throw std::runtime_error("bind");
        if (!bindSucceeds)
            return {nullptr, reason, {}};
        return {&account_, {}, missing};
    }
    std::optional<PropertyValue> get(DirectoryObject &object, std::string_view name) override
    {
        if (&object != &account_)
            throw std::logic_error("not the bound account");
        asked.emplace_back(name);
        auto it = answers_.find(std::string(name));
        if (it == answers_.end() || it->second.empty())
            return std::nullopt;
        Answer answer = it->second.front();
        if (it->second.size() > 1)
            it->second.pop_front();
        if (std::holds_alternative<Throw>(answer))
            throw std::runtime_error("get");
        if (auto *value = std::get_if<PropertyValue>(&answer))
            return *value;
        return std::nullopt;
    }
    void release(DirectoryObject *object) override
    {
        if (object != &account_)
            throw std::logic_error("not the bound account");
        ++released;
    }

private:
    DirectoryObject account_;
    std::map<std::string, std::deque<Answer>> answers_;
};

// A report area that records every text it is given, in order.
class RecordingView final : public ReportView {
public:
    std::vector<std::string> texts;
    std::vector<int> releasedAtWrite;  // the provider's release count at each write
    const RecordingProvider *provider = nullptr;
    bool throws = false;

    void replaceReportText(const std::string &text) override
    {
        texts.push_back(text);
        releasedAtWrite.push_back(provider ? provider->released : 0);
        if (throws)
            throw std::runtime_error("write");
    }
};

} // namespace tramsel::testing
