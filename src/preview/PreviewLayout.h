#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>
#include <string>
#include <vector>

namespace dorimek::preview {

// The preview shows seven prescription lines at a time, one row each, and
// pages through the rest.
inline constexpr int kRowCount = 7;

// Where the window first appears and how large it is. The designed size is the
// outer frame; the client area is what remains inside a classic frame (4-pixel
// borders, 19-pixel caption) and holds every control with a margin.
inline constexpr QPoint kWindowPosition{403, 32};
inline constexpr QSize kOuterSize{578, 732};
inline constexpr QSize kClientSize{570, 705};

// The photo cell of every row, in logical pixels; the photo is stretched into it.
inline constexpr QSize kImageSize{82, 76};

enum class ControlKind { Label, Memo, Edit, Image, Shape, Button };

// What a control shows of its row (None for headings, buttons and Shape8).
enum class RowPart { None, Rule, Name, Efficacy, Caution, Form, Package, Photo, Usage };

struct ControlSpec {
    QString name;  // the designer's name, used as objectName
    ControlKind kind = ControlKind::Label;
    QRect geometry;
    QString caption;    // headings and buttons only
    int tabOrder = -1;  // -1: never takes focus by Tab
    int row = 0;        // 1..7 for row controls, 0 otherwise
    RowPart part = RowPart::None;
};

// Top of row n (1..7): 64, 152, ..., 592.
constexpr int rowTop(int row) { return 64 + 88 * (row - 1); }

// Every control of the window, in the designer's declaration order: the seven
// headings, then per row its rule, name, efficacy and caution memos, form and
// package edits, image and usage memo, then Shape8 and the two buttons; then
// the paging controls 「前へ」 (Button3), the page label (Label8) and 「次へ」
// (Button4).
const std::vector<ControlSpec>& previewControls();

// The designer's name of the control that shows part of row (1..7), e.g.
// (4, Usage) → "Memo16". Empty for RowPart::None or a row outside 1..7.
QString rowControlName(int row, RowPart part);

// The text a row's usage memo holds for the usage words (Shift-JIS), one word
// per line. Row 4's memo was designed with one empty line already in it, so its
// words begin on the second line even when there are none.
QString usageMemoText(int row, const std::vector<std::string>& words);

// --- paging: page p (0-based) shows lines 7p + 1 to 7p + 7 ---

// Pages for a prescription of lineCount lines; an empty one has one page.
int pageCount(int lineCount);
// The prescription line row (1..7) of page shows.
constexpr int lineOnPage(int page, int row) { return page * kRowCount + row; }
// 「1/2」: the page (0-based) as the user counts it, and the number of pages.
QString pageLabel(int page, int pages);

// --- whole fields: a text shown in its fixed box, never cut ---

// The height (pixels) the text needs when wrapped anywhere to width pixels in
// a face of pixelSize; the window measures with the real font.
using TextHeight = std::function<double(const QString& text, int width, int pixelSize)>;

struct FieldFit {
    int pixelSize = 0;
    // Even the smallest type doesn't hold it: the box scrolls, so the text
    // is still there whole, to be read by scrolling.
    bool scrolls = false;
};

// The largest type from basePixelSize down to minPixelSize at which text,
// wrapped to the box's width, fits the box's height.
FieldFit fitField(const QString& text, QSize room, int basePixelSize, int minPixelSize,
                  const TextHeight& height);

}  // namespace dorimek::preview
