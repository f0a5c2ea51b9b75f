// Hand-made COM objects for the tests: an IADsLargeInteger, a dispatch object
// that is nothing more, an ADSI object with scripted properties, and a
// container that lists such objects. Their
// lifetime belongs to the test; the reference count only shows whether the
// code under test gave back every reference it took.
#pragma once

#include <activeds.h>

#include <cstdint>
#include <functional>
#include <iterator>
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
// checks that each came as a real BSTR; answers property gets through
// IDispatch from its scripted methods. Everything else is not implemented.
class FakeAds final : public FakeDispatch<IADs> {
public:
    std::wstring name;
    std::map<std::wstring, Fill> properties, methods;
    std::vector<std::wstring> asked;
    bool namesWereBstrs = true;

    FakeAds() : FakeDispatch(IID_IADs) {}

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *names, UINT, LCID, DISPID *id) override
    {
        const auto it = methods.find(names[0]);
        return it == methods.end() ? DISP_E_UNKNOWNNAME : (*id = static_cast<DISPID>(std::distance(methods.begin(), it)), S_OK);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS *, VARIANT *value, EXCEPINFO *, UINT *) override
    {
        return flags == DISPATCH_PROPERTYGET ? (std::next(methods.begin(), id)->second(*value), S_OK) : E_NOTIMPL;
    }

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

    HRESULT STDMETHODCALLTYPE get_Name(BSTR *value) override { return *value = SysAllocString(name.c_str()), S_OK; }
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

// Lists its users, one reference each, through itself as the enumerator, and
// fails when it comes to `failAt`; records the classes it is filtered by.
class FakeContainer final : public FakeDispatch<IADsContainer>, public IEnumVARIANT {
public:
    std::vector<IDispatch *> users;
    std::size_t next = 0, failAt = SIZE_MAX;
    std::vector<std::wstring> filter;

    FakeContainer() : FakeDispatch(IID_IADsContainer) {}

    ULONG STDMETHODCALLTYPE AddRef() override { return FakeDispatch::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return FakeDispatch::Release(); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override
    {
        if (iid != IID_IEnumVARIANT)
            return FakeDispatch::QueryInterface(iid, object);
        return *object = static_cast<IEnumVARIANT *>(this), AddRef(), S_OK;
    }
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown **value) override
    {
        return *value = static_cast<IEnumVARIANT *>(this), AddRef(), S_OK;
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG, VARIANT *value, ULONG *fetched) override
    {
        if (next == failAt || next == users.size())
            return *fetched = 0, next == failAt ? E_FAIL : S_FALSE;
        V_VT(value) = VT_DISPATCH, V_DISPATCH(value) = users[next++], V_DISPATCH(value)->AddRef();
        return *fetched = 1, S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Filter(VARIANT classes) override
    {
        VARIANT *names = nullptr;
        if (V_VT(&classes) != (VT_ARRAY | VT_VARIANT)
            || FAILED(SafeArrayAccessData(V_ARRAY(&classes), reinterpret_cast<void **>(&names))))
            return E_INVALIDARG;
        for (ULONG i = 0; i < V_ARRAY(&classes)->rgsabound[0].cElements; ++i)
            filter.emplace_back(V_BSTR(&names[i]));
        return SafeArrayUnaccessData(V_ARRAY(&classes));
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reset() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Count(long *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Filter(VARIANT *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Hints(VARIANT *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Hints(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetObject(BSTR, BSTR, IDispatch **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Create(BSTR, BSTR, IDispatch **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Delete(BSTR, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyHere(BSTR, BSTR, IDispatch **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE MoveHere(BSTR, BSTR, IDispatch **) override { return E_NOTIMPL; }
};

} // namespace tramsel::win::testing
