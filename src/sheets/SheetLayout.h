#pragma once

#include "sheets/engine/ElementRow.h"

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
        std::span<const report::ElementRow> elements;
    };
    Band title;         // RpBand2
    Band columnHeader;  // RpBand3
    Band detail;        // RpBand1
    Band summary;       // RpBand4
};

// The title and the footer are the same in every style.
// clang-format off
inline constexpr report::ElementRow kSharedTitle[] = {
    {"RpLabel5", report::kLabel, 60.85, 4.23, 35.45, 5.29, 14, report::kCenter | report::kAutoSize | report::kWordWrap, "薬剤情報提供書"},
    {"RpLabel6", report::kLabel, 148.17, 4.76, 17.73, 4.50, 12, report::kAutoSize | report::kWordWrap},
};

inline constexpr report::ElementRow kSharedSummary[] = {
    {"RpLabel10", report::kLabel, 110.07, 2.12, 60.33, 4.76, 12, report::kAutoSize | report::kWordWrap},
};
// clang-format on

}  // namespace dorimek::sheets
