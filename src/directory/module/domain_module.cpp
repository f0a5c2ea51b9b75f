// Loading the domain module at the first question about a domain.
#include "directory/module/domain_module.h"

namespace tramsel {

DomainModuleSource::DomainModuleSource(SourceOptions options) : options_(std::move(options)) {}

DomainModuleSource::~DomainModuleSource() = default;

AccountSource *DomainModuleSource::source()
{
    if (!loaded_) {
        loaded_ = true;
        const auto module = loadModule<DomainModule>(kDomainModuleFile, kDomainModuleSymbol);
        if (module.table)
            source_ = module.table->makeSource(options_);
        else
            loadError_ = "domain accounts cannot be read: " + module.error;
    }
    return source_.get();
}

Lookup DomainModuleSource::lookup(const AccountName &name)
{
    if (AccountSource *loaded = source())
        return loaded->lookup(name);
    return {std::nullopt, {Failure::Kind::NotFound, loadError_}, {}, {}, {}};
}

Listing DomainModuleSource::list(const Request &request, const RowSink &row, const ProgressSink &progress)
{
    // Stopped before it began: the module need not be loaded for nothing.
    if (request.stop.stop_requested())
        return {request.domain, {}, {Failure::Kind::Stopped, "stopped"}, {}, {}};
    if (AccountSource *loaded = source())
        return loaded->list(request, row, progress);
    return {request.domain, {}, {Failure::Kind::NotFound, loadError_}, {}, {}};
}

PerController DomainModuleSource::perController(const AccountName &name)
{
    if (AccountSource *loaded = source())
        return loaded->perController(name);
    return {name.domain + "\\" + name.user, {}, loadError_};
}

} // namespace tramsel
