// What the WinNT provider hands over (a VARIANT) as a property value.
#pragma once

#include <oaidl.h>

#include <optional>

#include "report/date_time.h"
#include "report/property_value.h"

namespace tramsel::win {

// The VARIANT as one of our value kinds: VT_EMPTY empty, VT_NULL null, the
// integer types and VT_BOOL (0 or -1) integers, VT_R4, VT_R8, VT_CY and
// VT_DECIMAL floating-point, VT_DATE date-time, VT_BSTR text, and a dispatch
// object that is an IADsLargeInteger its 64-bit integer. Nothing for anything
// else (arrays, references, other objects) and for values that do not fit.
// The VARIANT stays owned by the caller.
std::optional<PropertyValue> propertyValue(const VARIANT &variant);

// An OLE automation date as a date-time to the second: the integer part counts
// days from 1899-12-30 (backward when negative) and the fraction is the time
// of that day, also for negative dates (-1.25 is 1899-12-29 06:00).
std::optional<DateTime> oleDateTime(double date);

} // namespace tramsel::win
