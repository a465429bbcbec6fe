#include "HangRoom.h"

#include "TReportBand.h"
#include "TReportShape.h"
#include "TReportTextElement.h"

#include <algorithm>
#include <limits>

namespace dorimek::report {
namespace {

constexpr double kRuleClearance = 1.0;  // tenths of a millimetre
constexpr double kEpsilon = 1e-6;

}  // namespace

double hangRoom(const TReportTextElement& e) {
    const TReportBand* band = e.band();
    if (!band) return 0;
    const double right = e.Left + e.Width;
    const double inf = std::numeric_limits<double>::infinity();
    double rule = inf;
    double neighbour = inf;
    for (const auto& other : band->elements()) {
        if (other.get() == &e || !other->Enabled) continue;
        const bool besideVertically =
            other->Top < e.Top + e.Height && other->Top + other->Height > e.Top;
        if (!besideVertically) continue;
        const auto* shape = dynamic_cast<const TReportShape*>(other.get());
        if (shape && shape->Shape == shVertLine) {
            const double x = shape->Left + shape->Width / 2;
            if (x > right - kEpsilon) rule = std::min(rule, x - kRuleClearance);
        } else if (!shape && other->Left > right - kEpsilon) {
            neighbour = std::min(neighbour, other->Left);
        }
    }
    if (rule == inf) return 0;
    return std::max(0.0, std::min(rule, neighbour) - right);
}

}  // namespace dorimek::report
