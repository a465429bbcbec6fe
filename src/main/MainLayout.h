#pragma once

#include <span>

namespace dorimek::mainwin {

// The main window as the form designer laid it out, in client-area pixels at
// 96 dpi. The kana buttons and the usage boxes stand in regular grids and are
// placed by kanaButtons() and usageBoxTop(); everything else is listed here.
struct ControlSpec {
    enum class Kind { Label, ListBox, Button, GroupBox, RadioButton, Edit, Memo, CheckBox };
    const char* name;
    Kind kind;
    int left;
    int top;
    int width;  // 0 for labels, which size to their text
    int height;
    const char* caption;  // UTF-8; the initial text of an edit
};

std::span<const ControlSpec> mainWindowControls();

inline constexpr int kClientWidth = 741;
inline constexpr int kClientHeight = 497;
inline constexpr int kWindowLeft = 175;
inline constexpr int kWindowTop = 150;

inline constexpr int kKanaButtonSize = 30;
inline constexpr int kKanaGridLeft = 16;
inline constexpr int kKanaGridTop = 328;
inline constexpr int kKanaGridPitch = 32;

// The usage boxes keep the pitch of the prescription list's lines: box n
// stands beside the n-th line in view and shows that line's usage.
inline constexpr int kUsageBoxCount = 11;
inline constexpr int kUsageBoxLeft = 344;
inline constexpr int kUsageBoxWidth = 105;
inline constexpr int kUsageBoxHeight = 20;
inline constexpr int kPrescriptionLineHeight = 16;
constexpr int usageBoxTop(int n) { return 24 + kPrescriptionLineHeight * (n - 1); }

// The usage items every usage box offers until the settings file gives others.
std::span<const char* const> designTimeUsageItems();

}  // namespace dorimek::mainwin
