#pragma once

#include "sheets/engine/ElementSpec.h"

#include <array>
#include <span>

namespace dorimek::sheets {

// One sheet style's report definition as data: the page values as stored
// (tenths of a millimetre: bottom margin, length, top margin, width, left
// margin, right margin, column space) and the four bands with their heights
// in millimetres, band font sizes (0: the report's font) and element tables
// in drawing order.
struct SheetLayout {
    std::array<double, 7> pageValues;
    struct Band {
        double heightMm;
        double fontPt;
        std::span<const report::ElementSpec> elements;
    };
    Band title;         // RpBand2
    Band columnHeader;  // RpBand3
    Band detail;        // RpBand1
    Band summary;       // RpBand4
};

}  // namespace dorimek::sheets
