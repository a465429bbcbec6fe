#pragma once

namespace dorimek::report {

class TReportTextElement;

// How far a closing mark at the end of a line of e may reach past e's right
// edge: up to the nearest column rule beside e, less a clearance so that no
// glyph touches the rule, and never into another element there. 0 where no
// rule bounds the cell on the right.
double hangRoom(const TReportTextElement& e);

}  // namespace dorimek::report
