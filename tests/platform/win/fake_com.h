// Hand-made COM objects for the tests: an IADsLargeInteger, a dispatch object
// that is nothing more, and an ADSI object with scripted properties. Their
// lifetime belongs to the test; the reference count only shows whether the
// code under test gave back every reference it took.
#pragma once

#include <activeds.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tramsel::win::testing {

// Fills a VARIANT with one value: its type, then what set() puts in.
using Fill = std::function<void(VARIANT &)>;
template <class Set> Fill of(VARTYPE type, Set set)
{
    return [=](VARIANT &v) { V_VT(&v) = type, set(v); };
}

// IUnknown, answering for iid, and the IDispatch members nobody here calls.
template <class Interface> class FakeDispatch : public Interface {
public:
    ULONG refs = 1;  // the test's own reference

    explicit FakeDispatch(const IID &iid = IID_IDispatch) : iid_(iid) {}

    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override
    {
        if (iid != IID_IUnknown && iid != IID_IDispatch && iid != iid_)
            return *object = nullptr, E_NOINTERFACE;
        return *object = static_cast<Interface *>(this), AddRef(), S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *, UINT *) override { return E_NOTIMPL; }

private:
    IID iid_;
};

using PlainDispatch = FakeDispatch<IDispatch>;

class FakeLargeInteger final : public FakeDispatch<IADsLargeInteger> {
public:
    FakeLargeInteger(LONG high, LONG low) : FakeDispatch(IID_IADsLargeInteger), high_(high), low_(low) {}

    HRESULT STDMETHODCALLTYPE get_HighPart(LONG *value) override { return *value = high_, S_OK; }
    HRESULT STDMETHODCALLTYPE get_LowPart(LONG *value) override { return *value = low_, S_OK; }
    HRESULT STDMETHODCALLTYPE put_HighPart(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_LowPart(LONG) override { return E_NOTIMPL; }

private:
    LONG high_, low_;
};

// Answers Get from its scripted properties, records the names asked for and
// checks that each came as a real BSTR. Everything else is not implemented.
class FakeAds final : public FakeDispatch<IADs> {
public:
    std::map<std::wstring, Fill> properties;
    std::vector<std::wstring> asked;
    bool namesWereBstrs = true;

    FakeAds() : FakeDispatch(IID_IADs) {}

    HRESULT STDMETHODCALLTYPE Get(BSTR name, VARIANT *value) override
    {
        const std::wstring text(name, SysStringLen(name));
        namesWereBstrs = namesWereBstrs && text.size() == wcslen(name);
        asked.push_back(text);
        const auto it = properties.find(text);
        if (it == properties.end())
            return E_ADS_PROPERTY_NOT_FOUND;
        return it->second(*value), S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_Name(BSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Class(BSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_GUID(BSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ADsPath(BSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Parent(BSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Schema(BSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetInfo() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetInfo() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Put(BSTR, VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetEx(BSTR, VARIANT *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PutEx(LONG, BSTR, VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetInfoEx(VARIANT, LONG) override { return E_NOTIMPL; }
};

} // namespace tramsel::win::testing
