// The directory on Windows: ADSI's WinNT provider.
#pragma once

#include <activeds.h>

#include "platform/win/com.h"
#include "platform/win/time_zone.h"
#include "report/directory_provider.h"

namespace tramsel {

// An account bound through ADSI. COM stays initialised on the binding thread
// for as long as the object lives, and the object's reference is released
// before COM is.
class AdsiObject final : public DirectoryObject {
public:
    AdsiObject() = default;

    // Whether COM could be set up on this thread.
    bool comReady() const { return com_.ready(); }
    // Takes over one reference to the bound object.
    void hold(IADs *ads) { ads_.reset(ads); }
    IADs *ads() const { return ads_.get(); }

private:
    win::ComGuard com_;
    win::ComRef<IADs> ads_;
};

// Binds paths with ADsGetObject and reads properties with IADs::Get. Every
// failure, whatever its HRESULT, is a bind or a read that gives nothing.
class AdsiDirectoryProvider final : public DirectoryProvider {
public:
    // The WinNT provider's dates are on the clock of this zone (the user's).
    explicit AdsiDirectoryProvider(win::TimeZone zone = {}) : zone_(zone) {}

    Binding bind(std::string_view path) override;
    std::optional<PropertyValue> get(DirectoryObject &object, std::string_view name) override;
    void release(DirectoryObject *object) override;

private:
    win::TimeZone zone_;
};

} // namespace tramsel
