#include "BandStretch.h"

#include <algorithm>
#include <numeric>

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

OverflowLayout makeRoomForOverflow(const std::vector<OverflowElement>& elements) {
    const size_t count = elements.size();
    OverflowLayout out;
    out.rects.reserve(count);
    for (const OverflowElement& e : elements) out.rects.push_back(e.rect);

    auto shownBottom = [&](size_t s) { return elements[s].rect.top() + elements[s].shownHeight; };
    // A rule placed right under a cell may overlap the box of its last line
    // a little; it is still under the line and must move with the text.
    auto under = [&](size_t s) { return shownBottom(s) - elements[s].lineHeight / 2; };
    auto overflows = [&](size_t s) {
        return elements[s].growth > 0 && elements[s].shownHeight > 0;
    };
    // Top down: a text's own move is known before anything under it is placed,
    // as its shown lines begin at its top and end above what it moves.
    std::vector<size_t> order(count);
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return elements[a].rect.top() < elements[b].rect.top();
    });
    std::vector<double> down(count, 0);
    for (size_t i : order) {
        for (size_t s = 0; s < count; ++s) {
            if (s == i || !overflows(s)) continue;
            if (elements[i].rect.top() >= under(s) - kEpsilon) {
                down[i] = std::max(down[i], down[s] + elements[s].growth);
            }
        }
    }
    for (size_t i = 0; i < count; ++i) {
        const OverflowElement& e = elements[i];
        QRectF& r = out.rects[i];
        r.translate(0, down[i]);
        if (overflows(i)) {
            r.setHeight(std::max(e.rect.height(), e.shownHeight) + e.growth);
            out.growth = std::max(out.growth, down[i] + e.growth);
        }
        if (!e.verticalLine || down[i] > 0) continue;
        double reach = 0;
        for (size_t s = 0; s < count; ++s) {
            if (s == i || !overflows(s)) continue;
            if (e.rect.bottom() >= shownBottom(s) - kEpsilon) {
                reach = std::max(reach, down[s] + elements[s].growth);
            }
        }
        r.setHeight(r.height() + reach);
    }
    return out;
}

}  // namespace dorimek::report
