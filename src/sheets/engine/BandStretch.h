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

}  // namespace dorimek::report
