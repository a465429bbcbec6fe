#pragma once

#include <QRectF>

#include <vector>

namespace dorimek::report {

// How an element of a band answers to the band's stretching text. A row whose
// efficacy or caution runs longer than its cell must still look like a row of
// the table: what lies under the text (the row's bottom rule, the labels under
// a long name) goes down with it, and the column rules reach as far.
enum class StretchRole {
    Fixed,    // keeps its design place; drawn with the band's first part only
    Stretch,  // text that grows; may continue on the following pages
    Follow,   // lies under growing text: moves down with the end of it
    Reach,    // vertical rule beside growing text: its bottom goes down with it
};

struct StretchElement {
    QRectF rect;  // design rectangle, relative to the band
    bool verticalLine = false;
    bool autoStretch = false;  // text with AutoStretch
    bool grows = false;        // its text needs more height than it has
};

struct StretchAssignment {
    StretchRole role = StretchRole::Fixed;
    // Indices of the growing elements it answers to (Follow, Reach).
    std::vector<size_t> sources;
};

// Roles for the elements of one band, in the same order. An element follows
// every growing text whose design bottom lies at or above its own design top;
// a vertical rule that isn't under growing text reaches down with every
// growing text whose design bottom its own design bottom meets or passes.
// Stretching text keeps its design top, so stretches never chain.
std::vector<StretchAssignment> assignStretchRoles(const std::vector<StretchElement>& elements);

// A cell whose text doesn't stretch was designed to show a number of lines;
// a text that needs more (a tablet marking after a long colour, a long
// package) must still reach the paper whole. Such a cell grows to all its
// lines before the band is laid out: what lies under the lines it was
// designed to show moves down, vertical rules beside it reach as far, and
// the band grows. Cells whose texts fit keep the design exactly, and
// stretching text then works on the places this gives.
struct OverflowElement {
    QRectF rect;  // design rectangle, relative to the band
    bool verticalLine = false;
    double shownHeight = 0;  // text: height of the lines its design shows
    double growth = 0;       // text: height of the lines it needs beyond those
    double lineHeight = 0;   // text: height of one of its lines
};

struct OverflowLayout {
    std::vector<QRectF> rects;  // per element: its place with the cells grown
    double growth = 0;          // how much taller the band is
};

// An element moves down with every overflowing text whose last shown line
// has at least half its height above the element's top (a rule drawn just
// under a line may touch its box), and with whatever moved that text, so cells stacked in
// one column (name, dosage form, package) all keep clear of each other. A
// vertical rule that doesn't move reaches down with every overflowing text
// whose shown lines end at or above its own bottom.
OverflowLayout makeRoomForOverflow(const std::vector<OverflowElement>& elements);

}  // namespace dorimek::report
