#include "BandStretch.h"

namespace dorimek::report {
namespace {

// Layout values are sums of decimals; a rule designed exactly on a cell's
// bottom must count as under it.
constexpr double kEpsilon = 1e-6;

}  // namespace

std::vector<StretchAssignment> assignStretchRoles(const std::vector<StretchElement>& elements) {
    std::vector<StretchAssignment> roles(elements.size());
    for (size_t i = 0; i < elements.size(); ++i) {
        const StretchElement& e = elements[i];
        StretchAssignment& a = roles[i];
        if (e.autoStretch && e.grows) {
            a.role = StretchRole::Stretch;
            continue;
        }
        for (size_t s = 0; s < elements.size(); ++s) {
            const StretchElement& src = elements[s];
            if (s == i || !src.autoStretch || !src.grows) continue;
            if (e.rect.top() >= src.rect.bottom() - kEpsilon) a.sources.push_back(s);
        }
        if (!a.sources.empty()) {
            a.role = StretchRole::Follow;
            continue;
        }
        if (!e.verticalLine) continue;
        for (size_t s = 0; s < elements.size(); ++s) {
            const StretchElement& src = elements[s];
            if (s == i || !src.autoStretch || !src.grows) continue;
            if (e.rect.bottom() >= src.rect.bottom() - kEpsilon) a.sources.push_back(s);
        }
        if (!a.sources.empty()) a.role = StretchRole::Reach;
    }
    return roles;
}

}  // namespace dorimek::report
