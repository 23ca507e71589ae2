// Fuzzes veskel-serve's reading of a request's address: any bytes must give a request or a
// RequestProblem with a status the service answers, and every field it lets through holds a value
// --set would take.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "cli/DesignEdit.h"
#include "serve/Request.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view target(reinterpret_cast<const char*>(data), size);
    try {
        const veskel::serve::BannerRequest r = veskel::serve::ParseBannerTarget(target);
        if (r.design.empty() == r.record.empty()) std::abort();
        if (r.design.find('/') != std::string::npos || (!r.design.empty() && r.design[0] == '.')) std::abort();
        if (!r.record.empty() && r.record.size() != 593) std::abort();
        for (const auto& [name, value] : r.fields)
            if (!veskel::cli::SetValueProblem(name, value).empty()) std::abort();
        (void)r.CanonicalQuery();
    } catch (const veskel::serve::RequestProblem& p) {
        if (p.status != 400 && p.status != 404 && p.status != 414) std::abort();
        if (p.reason.find('\n') != std::string::npos) std::abort();
    }
    return 0;
}
