// Reading the report's values property by property.
#include "directory/adsi/property_reads.h"

#include <cmath>

namespace tramsel {
namespace {

// Runs one step; whatever it throws ends that step only.
template <class Step> void guarded(Step &&step) noexcept
{
    try {
        step();
    } catch (...) {
    }
}

template <class T, class Convert> Known<T> typed(const std::optional<PropertyValue> &value, Convert convert)
{
    if (!value)
        return {};
    if (std::holds_alternative<NullValue>(*value))
        return Known<T>::none();
    if (std::optional<T> converted = convert(*value))
        return *converted;
    return std::holds_alternative<EmptyValue>(*value) ? Known<T>::none() : Known<T>();
}

std::optional<DateTime> asDateTime(const PropertyValue &value)
{
    const auto *date = std::get_if<DateTime>(&value);
    return date ? std::optional(*date) : std::nullopt;
}

std::optional<std::int64_t> asCount(const PropertyValue &value)
{
    if (const auto *n = std::get_if<std::int64_t>(&value))
        return *n;
    const auto *d = std::get_if<double>(&value);
    return d && std::isfinite(*d) && std::fabs(*d) < 9e18 ? std::optional(std::llround(*d)) : std::nullopt;
}

// An address is text; an empty one is shown as it is.
std::optional<std::string> asText(const PropertyValue &value)
{
    if (std::holds_alternative<EmptyValue>(value))
        return std::string();
    const auto *text = std::get_if<std::string>(&value);
    return text ? std::optional(*text) : std::nullopt;
}

class Reader {
public:
    explicit Reader(const PropertyGetter &get) : get_(get) {}

    std::optional<PropertyValue> operator()(std::string_view name) const
    {
        std::optional<PropertyValue> value;
        guarded([&] { value = get_(name); });
        return value;
    }

private:
    const PropertyGetter &get_;
};

// The maximum age is read, and read again when it is greater than 0.
Known<MaxPasswordAge> readMaxAge(const Reader &read)
{
    const auto first = read(property::kMaxPasswordAge);
    const auto age = first ? passwordMaxAge(*first) : std::nullopt;
    if (!age || age->never || !numberValue(*first))
        return typed<MaxPasswordAge>(first, passwordMaxAge);
    return typed<MaxPasswordAge>(read(property::kMaxPasswordAge), passwordMaxAge);
}

Known<DateTime> readLastChanged(const Reader &read)
{
    const auto expires = read(property::kPasswordExpirationDate);
    const auto maxAge = read(property::kMaxPasswordAge);
    if (expires && maxAge)
        if (auto changed = passwordLastChanged(*expires, *maxAge))
            return *changed;
    // No expiry to count back from: the date the directory keeps, if any.
    return typed<DateTime>(read(property::kPasswordLastChanged), asDateTime);
}

} // namespace

AccountUsage readProperties(const PropertyGetter &get)
{
    const Reader read(get);
    AccountUsage usage;
    usage.lastLogin = typed<DateTime>(read(property::kLastLogin), asDateTime);
    usage.lastLogoff = typed<DateTime>(read(property::kLastLogoff), asDateTime);
    usage.lastFailedLogin = typed<DateTime>(read(property::kLastFailedLogin), asDateTime);
    usage.lastBadLoginAddress = typed<std::string>(read(property::kBadLoginAddress), asText);
    usage.badLoginCount = typed<std::int64_t>(read(property::kBadLoginCount), asCount);
    usage.passwordExpires = typed<DateTime>(read(property::kPasswordExpirationDate), asDateTime);
    guarded([&] { usage.passwordMaxAge = readMaxAge(read); });
    guarded([&] { usage.passwordLastChanged = readLastChanged(read); });
    return usage;
}

} // namespace tramsel
