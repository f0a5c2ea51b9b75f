// The source of a platform without accounts to read: every question fails.
#pragma once

#include "report/account_source.h"

namespace tramsel {

class NullSource final : public AccountSource {
public:
    Lookup lookup(const AccountName &) override { return {std::nullopt, unsupported(), {}, {}, {}}; }
    Listing list(const Request &request, const RowSink &, const ProgressSink &) override
    {
        return {request.domain, {}, unsupported(), {}, {}};
    }

private:
    static Failure unsupported() { return {Failure::Kind::NotFound, "accounts cannot be read here"}; }
};

} // namespace tramsel
