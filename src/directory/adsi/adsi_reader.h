// The directory on Windows: ADSI's WinNT provider.
#pragma once

#include <activeds.h>

#include <functional>
#include <string>
#include <string_view>

#include "platform/win/com.h"
#include "platform/win/time_zone.h"
#include "report/property_value.h"

namespace tramsel {

// An account bound through ADSI. COM stays initialised on the binding thread
// for as long as the object lives, and the object's reference is released
// before COM is.
class AdsiObject final {
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

// The time now, as an instant.
using Clock = std::function<DateTime()>;
DateTime systemClock();

// A bound account, or why there is none.
struct AdsiBinding {
    AdsiObject *account = nullptr;  // handed back to release()
    std::string reason;
};

// Binds paths with ADsGetObject and reads properties with IADs::Get, and
// answers PasswordLastChanged from the password's age. A property WinNT
// does not hold is a NullValue; any other failure is a read that gives nothing.
class AdsiReader final {
public:
    // The WinNT provider's dates are on the clock of this zone (the user's);
    // the ages it counts end now.
    explicit AdsiReader(win::TimeZone zone = {}, Clock now = systemClock)
        : zone_(zone), now_(std::move(now))
    {
    }

    AdsiBinding bind(std::string_view path);
    std::optional<PropertyValue> get(const AdsiObject &object, std::string_view name) const;
    void release(AdsiObject *object);

private:
    // A property by IADs::Get; dates as instants.
    std::optional<PropertyValue> read(IADs &ads, std::string_view name) const;
    // Where the password never expires, the report asks for the date it was set.
    std::optional<PropertyValue> passwordLastChanged(IADs &ads) const;

    win::TimeZone zone_;
    Clock now_;
};

} // namespace tramsel
