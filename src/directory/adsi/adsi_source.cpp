// The accounts of a WinNT domain or machine, read through ADSI.
#include "directory/adsi/adsi_source.h"

#include <utility>
#include <vector>

#include "platform/win/com.h"
#include "platform/win/nls_locale.h"
#include "directory/adsi/variant_value.h"
#include "platform/win/wide_text.h"
#include "report/account_path.h"
#include "directory/adsi/property_reads.h"

namespace tramsel {
namespace {

// The container's name as the rows show it: the domain upper-cased as the
// report does, or this computer's name.
std::optional<std::string> containerName(const std::string &domain)
{
    if (domain.empty()) {
        wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
        DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
        if (!GetComputerNameW(name, &size))
            return std::nullopt;
        return win::utf8FromWide(std::wstring_view(name, size));
    }
    std::string upper = upperDomain(domain, win::NlsLocale());
    if (!isSafeName(upper))
        return std::nullopt;
    return upper;
}

// Only the users: the container holds groups too.
HRESULT filterUsers(IADsContainer &container)
{
    win::ClearedVariant filter;
    SAFEARRAY *classes = SafeArrayCreateVector(VT_VARIANT, 0, 1);
    if (!classes)
        return E_OUTOFMEMORY;
    V_VT(filter.get()) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(filter.get()) = classes;
    win::ClearedVariant user;
    V_VT(user.get()) = VT_BSTR;
    V_BSTR(user.get()) = SysAllocString(L"user");
    if (!V_BSTR(user.get()))
        return E_OUTOFMEMORY;
    LONG index = 0;
    const HRESULT result = SafeArrayPutElement(classes, &index, user.get());
    return FAILED(result) ? result : container.put_Filter(*filter);
}

// AccountDisabled and IsAccountLocked are worked out by IADsUser, not kept
// as properties that IADs::Get would know: they are asked for as a script would.
std::optional<PropertyValue> dispatchProperty(IDispatch &object, const wchar_t *name)
{
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (FAILED(object.GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)))
        return std::nullopt;
    DISPPARAMS none{};
    win::ClearedVariant value;
    if (FAILED(object.Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value.get(), nullptr,
                             nullptr)))
        return std::nullopt;
    return win::propertyValue(*value);
}

std::optional<bool> flag(const std::optional<PropertyValue> &value)
{
    const auto *number = value ? std::get_if<std::int64_t>(&*value) : nullptr;
    return number ? std::optional<bool>(*number != 0) : std::nullopt;
}

std::optional<std::string> text(const std::optional<PropertyValue> &value)
{
    const auto *string = value ? std::get_if<std::string>(&*value) : nullptr;
    return string ? std::optional<std::string>(*string) : std::nullopt;
}

} // namespace

HRESULT AdsiAccountSource::bindContainer(const std::wstring &path, IADsContainer **container)
{
    return ADsGetObject(path.c_str(), IID_IADsContainer, reinterpret_cast<void **>(container));
}

AdsiAccountSource::AdsiAccountSource(win::TimeZone zone, Clock now, BindContainer bind)
    : zone_(zone), now_(now), provider_(zone, std::move(now)), bind_(std::move(bind))
{
}

Lookup AdsiAccountSource::lookup(const AccountName &name)
{
    Lookup found;
    // The path holds exactly what was typed: WinNT itself decides what it names.
    const std::string path = "WinNT://" + (name.domain.empty() ? "" : name.domain + "/") + name.user + ",user";
    const AdsiBinding binding = provider_.bind(path);
    if (!binding.account) {
        found.failure = {Failure::Kind::NotFound, binding.reason};
        return found;
    }
    const auto domain = containerName(name.domain);
    found.record = record(binding.account->ads(), domain.value_or(name.domain));
    provider_.release(binding.account);
    if (!found.record)
        found.failure = {Failure::Kind::NotFound, "ADSI could not read " + path};
    else
        found.sources.push_back({path, true, {}});
    return found;
}

Listing AdsiAccountSource::list(const Request &request, const RowSink &row, const ProgressSink &progress)
{
    Listing listing;
    if (!request.base.empty()) {
        listing.failure = {Failure::Kind::BadRequest,
                           "--base limits only a listing of an Active Directory domain; WinNT lists a whole domain or machine"};
        return listing;
    }
    if (request.kind == Request::Kind::Computers) {
        listing.failure = {Failure::Kind::BadRequest, "WinNT lists no computer accounts"};
        return listing;
    }
    const auto domain = containerName(request.domain);
    if (!domain) {
        listing.failure = {Failure::Kind::NotFound, request.domain.empty()
                                                        ? "this computer's name could not be read"
                                                        : "not a domain or computer name: " + request.domain};
        return listing;
    }
    listing.domain = *domain;
    // A computer's own accounts, even where a domain has the same name.
    const std::string path = "WinNT://" + *domain + (request.domain.empty() ? ",computer" : "");
    std::vector<AccountRecord> records;
    const win::ComGuard com;
    const std::string error = com.ready() ? readUsers(path, *domain, records, progress, request.stop)
                                         : "COM could not be started";
    if (request.stop.stop_requested()) {
        listing.failure = {Failure::Kind::Stopped, "stopped"};
        return listing;
    }
    listing.sources.push_back({path, error.empty(), error});
    if (!error.empty())
        listing.failure = {Failure::Kind::NotFound, error};
    // A listing that broke off gives no rows: a part would pass for the whole.
    if (!error.empty())
        return listing;
    for (AccountRecord &record : records)
        row(std::move(record));
    progress({1, 1, records.size()});
    return listing;
}

std::string AdsiAccountSource::readUsers(const std::string &path, const std::string &domain,
                                         std::vector<AccountRecord> &records, const ProgressSink &progress,
                                         std::stop_token stop)
{
    const auto widePath = win::terminatedWide(path);
    IADsContainer *rawContainer = nullptr;
    HRESULT result = widePath ? bind_(*widePath, &rawContainer) : E_INVALIDARG;
    const win::ComRef<IADsContainer> container(rawContainer);
    if (FAILED(result) || !container)
        return "ADSI could not bind " + path + " (" + win::hresultText(result) + ")";
    IUnknown *rawEnum = nullptr;
    IEnumVARIANT *rawUsers = nullptr;
    if (SUCCEEDED(result = filterUsers(*container)) && SUCCEEDED(result = container->get__NewEnum(&rawEnum)))
        result = rawEnum ? rawEnum->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void **>(&rawUsers)) : E_POINTER;
    const win::ComRef<IUnknown> enumerator(rawEnum);
    const win::ComRef<IEnumVARIANT> users(rawUsers);
    while (SUCCEEDED(result) && users && !stop.stop_requested()) {
        win::ClearedVariant user;
        ULONG fetched = 0;
        result = users->Next(1, user.get(), &fetched);
        if (FAILED(result) || fetched != 1)
            break;
        if (V_VT(&*user) == VT_DISPATCH)
            if (auto account = record(V_DISPATCH(&*user), domain))
                records.push_back(std::move(*account));
        progress({0, 1, records.size()});
    }
    if (FAILED(result) || !users)
        return "ADSI could not list the users of " + path + " (" + win::hresultText(FAILED(result) ? result : E_POINTER) + ")";
    return {};
}

std::optional<AccountRecord> AdsiAccountSource::record(IDispatch *user, const std::string &domain)
{
    IADs *ads = nullptr;
    if (!user || FAILED(user->QueryInterface(IID_IADs, reinterpret_cast<void **>(&ads))) || !ads)
        return std::nullopt;
    AdsiObject account;
    account.hold(ads);
    BSTR rawName = nullptr;
    const HRESULT named = ads->get_Name(&rawName);
    const win::BstrRef name(rawName);
    const auto userName = SUCCEEDED(named) && name ? win::utf8FromWide({name.get(), SysStringLen(name.get())}) : std::nullopt;
    if (!userName || userName->empty())
        return std::nullopt;

    AccountRecord record;
    record.account = domain + "\\" + *userName;
    record.user = *userName;
    record.usage = readProperties([&](std::string_view property) { return provider_.get(account, property); });
    record.fullName = text(provider_.get(account, "FullName"));
    record.disabled = flag(dispatchProperty(*ads, L"AccountDisabled"));
    record.locked = flag(dispatchProperty(*ads, L"IsAccountLocked"));
    record.passwordExpired = flag(provider_.get(account, "PasswordExpired"));
    // WinNT's "never" is 1970-01-01 on the local clock.
    const auto expires = provider_.get(account, "AccountExpirationDate");
    if (const auto *date = expires ? std::get_if<DateTime>(&*expires) : nullptr)
        if (zone_.localTime(*date).civil != CivilDateTime{1970, 1, 1})
            record.accountExpires = *date;
    record.accountExpired = record.accountExpires && record.accountExpires->microseconds() <= now_().microseconds();
    record.passwordNeverExpires = neverExpires(record.usage.passwordMaxAge);
    record.controllersAnswered = record.controllersAsked = 1;
    return record;
}

} // namespace tramsel
