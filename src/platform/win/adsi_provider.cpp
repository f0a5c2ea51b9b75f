// The directory on Windows: ADSI's WinNT provider.
#include "platform/win/adsi_provider.h"

#include <memory>

#include "platform/win/variant_value.h"
#include "platform/win/wide_text.h"

namespace tramsel {

DirectoryObject *AdsiDirectoryProvider::bind(std::string_view path)
{
    const auto widePath = win::terminatedWide(path);
    if (!widePath)
        return nullptr;
    auto object = std::make_unique<AdsiObject>();
    if (!object->comReady())
        return nullptr;
    IADs *ads = nullptr;
    const HRESULT result =
        ADsGetObject(widePath->c_str(), IID_IADs, reinterpret_cast<void **>(&ads));
    object->hold(ads);  // released with the object, also when the bind failed
    if (FAILED(result) || !ads)
        return nullptr;
    return object.release();
}

std::optional<PropertyValue> AdsiDirectoryProvider::get(DirectoryObject &object,
                                                        std::string_view name)
{
    const auto *account = dynamic_cast<const AdsiObject *>(&object);
    if (!account || !account->ads())
        return std::nullopt;
    const auto wideName = win::terminatedWide(name);
    if (!wideName)
        return std::nullopt;
    const win::BstrRef bstrName(SysAllocString(wideName->c_str()));
    if (!bstrName)
        return std::nullopt;
    win::ClearedVariant value;
    if (FAILED(account->ads()->Get(bstrName.get(), value.get())))
        return std::nullopt;
    return win::propertyValue(*value);
}

void AdsiDirectoryProvider::release(DirectoryObject *object)
{
    delete dynamic_cast<AdsiObject *>(object);
}

} // namespace tramsel
