// A WinNT provider for Wine's ADSI, which has none: registered in the
// walk-through's prefix, it answers ADsGetObject("WinNT://NAME") with a
// container of generated users (TRAMSEL_FAKE_USERS of them, 300 unless
// set), and "WinNT://NAME/user,user" with one of them.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "directory/adsi/fake_com.h"

namespace {

using namespace tramsel::win::testing;

Fill number(LONG n) { return of(VT_I4, [=](VARIANT &v) { V_I4(&v) = n; }); }
Fill boolean(bool b) { return of(VT_BOOL, [=](VARIANT &v) { V_BOOL(&v) = b ? VARIANT_TRUE : VARIANT_FALSE; }); }
Fill date(double d) { return of(VT_DATE, [=](VARIANT &v) { V_DATE(&v) = d; }); }
Fill text(std::wstring t) { return of(VT_BSTR, [=](VARIANT &v) { V_BSTR(&v) = SysAllocString(t.c_str()); }); }

// Every kind of value: times and none, counts, texts a CSV must quote or
// guard, flags both ways.
std::vector<FakeAds *> &users()
{
    static std::vector<FakeAds *> made = [] {
        const char *wanted = std::getenv("TRAMSEL_FAKE_USERS");
        const int count = wanted ? std::atoi(wanted) : 300;
        std::vector<FakeAds *> list;
        for (int i = 0; i < count; ++i) {
            auto *user = new FakeAds;
            wchar_t name[16];
            swprintf(name, 16, L"user%03d", i);
            user->name = i == count - 1 ? L"zo\u00eb" : name;  // last: the container lists by name
            const std::wstring fullName = i % 10 == 3 ? L"Doe, \"J\" " + std::to_wstring(i)
                                          : i % 10 == 4 ? L"=1+" + std::to_wstring(i)
                                                        : L"User " + std::to_wstring(i);
            user->properties = {{L"FullName", text(fullName)},
                                {L"BadLoginCount", number(i % 5)},
                                {L"MaxPasswordAge", number(i % 6 == 0 ? -1 : 42 * 86400)},
                                {L"PasswordExpired", number(i % 11 == 0)},
                                {L"AccountExpirationDate", date(i % 17 == 0 ? 46000 : 25569)}};
            if (i % 7)
                user->properties[L"LastLogin"] = date(46000 + (i * 37) % 400 + (i % 24) / 24.0);
            if (i % 6)
                user->properties[L"PasswordExpirationDate"] = date(46380 + i % 90);
            user->methods = {{L"AccountDisabled", boolean(i % 9 == 0)}, {L"IsAccountLocked", boolean(i % 13 == 0)}};
            list.push_back(user);
        }
        return list;
    }();
    return made;
}

class Namespace final : public FakeDispatch<IADsOpenDSObject> {
public:
    Namespace() : FakeDispatch(IID_IADsOpenDSObject) {}

    HRESULT STDMETHODCALLTYPE OpenDSObject(BSTR path, BSTR, BSTR, LONG, IDispatch **object) override
    {
        const std::wstring wanted(path, SysStringLen(path));
        const auto slash = wanted.find(L'/', 8);  // after "WinNT://"
        if (slash == std::wstring::npos) {
            auto *container = new FakeContainer;  // one a listing, from its first user
            container->users.assign(users().begin(), users().end());
            return *object = container, S_OK;
        }
        const std::wstring user = wanted.substr(slash + 1, wanted.rfind(L",user") - slash - 1);
        for (FakeAds *ads : users())
            if (ads->name == user)
                return *object = ads, ads->AddRef(), S_OK;
        return E_ADS_UNKNOWN_OBJECT;
    }
};

class Factory final : public IClassFactory {
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override
    {
        if (iid != IID_IUnknown && iid != IID_IClassFactory)
            return *object = nullptr, E_NOINTERFACE;
        return *object = this, S_OK;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID iid, void **object) override
    {
        return outer ? CLASS_E_NOAGGREGATION : (new Namespace)->QueryInterface(iid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

} // namespace

extern "C" __declspec(dllexport) HRESULT WINAPI DllGetClassObject(REFCLSID, REFIID iid, void **object)
{
    static Factory factory;
    return factory.QueryInterface(iid, object);
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllCanUnloadNow() { return S_FALSE; }
