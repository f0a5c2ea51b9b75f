// The directory on Windows: ADSI's WinNT provider.
#include "directory/adsi/adsi_reader.h"

#include <adserr.h>

#include <cstdint>
#include <memory>

#include "directory/adsi/property_reads.h"
#include "directory/adsi/variant_value.h"
#include "platform/win/wide_text.h"

namespace tramsel {
DateTime systemClock()
{
    constexpr std::int64_t kUnixEpochTicks = 116'444'736'000'000'000;  // 1970 counted from 1601
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const auto ticks = static_cast<std::int64_t>((static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    return DateTime::fromUnixMicroseconds((ticks - kUnixEpochTicks) / 10).value_or(DateTime());
}

AdsiBinding AdsiReader::bind(std::string_view path)
{
    const auto widePath = win::terminatedWide(path);
    if (!widePath)
        return {nullptr, "the account name is not valid text"};
    auto object = std::make_unique<AdsiObject>();
    if (!object->comReady())
        return {nullptr, "COM could not be started"};
    IADs *ads = nullptr;
    const HRESULT result =
        ADsGetObject(widePath->c_str(), IID_IADs, reinterpret_cast<void **>(&ads));
    object->hold(ads);  // released with the object, also when the bind failed
    if (FAILED(result) || !ads)
        return {nullptr, "ADSI could not bind " + std::string(path) + " (" + win::hresultText(result) + ")"};
    return {object.release(), {}};
}

std::optional<PropertyValue> AdsiReader::get(const AdsiObject &object, std::string_view name) const
{
    if (!object.ads())
        return std::nullopt;
    if (name == property::kPasswordLastChanged)
        return passwordLastChanged(*object.ads());
    return read(*object.ads(), name);
}

std::optional<PropertyValue> AdsiReader::read(IADs &ads, std::string_view name) const
{
    const auto wideName = win::terminatedWide(name);
    if (!wideName)
        return std::nullopt;
    const win::BstrRef bstrName(SysAllocString(wideName->c_str()));
    if (!bstrName)
        return std::nullopt;
    win::ClearedVariant variant;
    // WinNT has no value for what never happened (a user who never logged
    // in): that is none, not a failed read.
    if (const HRESULT result = ads.Get(bstrName.get(), variant.get()); FAILED(result))
        return result == E_ADS_PROPERTY_NOT_FOUND ? std::optional<PropertyValue>(NullValue{}) : std::nullopt;
    auto value = win::propertyValue(*variant);
    // WinNT's dates are on the local clock. As instants, what is worked out
    // from them is right across daylight saving (a clock before 1601 stays as it is).
    if (auto *date = value ? std::get_if<DateTime>(&*value) : nullptr)
        *date = zone_.instant(*date).value_or(*date);
    return value;
}

std::optional<PropertyValue> AdsiReader::passwordLastChanged(IADs &ads) const
{
    // WinNT keeps the password's age in seconds, not the date it was set. A
    // password that must be changed at the next logon was set at no date.
    const auto expired = read(ads, "PasswordExpired");
    const auto age = read(ads, "PasswordAge");
    const double seconds = age ? numberValue(*age).value_or(-1) : -1;
    if (!expired || numberValue(*expired) != 0.0 || seconds < 0)
        return std::nullopt;
    if (const auto changed = now_().minusSeconds(seconds))
        return PropertyValue(*changed);
    return std::nullopt;
}

void AdsiReader::release(AdsiObject *object)
{
    delete object;
}

} // namespace tramsel
