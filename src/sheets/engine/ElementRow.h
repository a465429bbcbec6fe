#pragma once

namespace dorimek::report {

enum class ElementKind { Label, Memo, HorLine, VertLine, Image };

inline constexpr ElementKind kLabel = ElementKind::Label;
inline constexpr ElementKind kMemo = ElementKind::Memo;
inline constexpr ElementKind kHorLine = ElementKind::HorLine;
inline constexpr ElementKind kVertLine = ElementKind::VertLine;
inline constexpr ElementKind kImage = ElementKind::Image;

// Settings of a layout row, or-ed together. Left alignment, a solid pen and
// no stretching are what an element has without flags.
enum ElementSetting : unsigned {
    kLeft = 0,
    kCenter = 1u << 0,         // taCenter
    kAutoSize = 1u << 1,       // labels: width follows the text
    kAutoStretch = 1u << 2,    // grows with its text, and its band with it
    kWordWrap = 1u << 3,       // lines broken to the element's width
    kDotted = 1u << 4,         // shapes: psDot
    kStretch = 1u << 5,        // images: fill the rectangle
    kCenterPicture = 1u << 6,  // images: Center
};

// One row of a sheet's layout table, as the layout was designed: positions in
// millimetres from the band's top-left corner, font size in points (0: the
// band's font), caption as a UTF-8 literal (stored as Shift-JIS).
//
//   {"RpLabel5", kLabel, 60.85, 4.23, 35.45, 5.29, 14, kCenter | kAutoSize | kWordWrap,
//   "薬剤情報提供書"},
//   {"RpShape16", kHorLine, 2.12, 4.76, 41.27, 0.26, 0, kDotted},
struct ElementRow {
    const char* name;
    ElementKind kind;
    double left;
    double top;
    double width;
    double height;
    double fontPt = 0;
    unsigned settings = kLeft;
    const char* caption = nullptr;
};

}  // namespace dorimek::report
