#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace dorimek::report {

// Width of a Shift-JIS text, in any unit the caller also uses for the limit.
using MeasureFn = std::function<double(std::string_view sjis)>;

// Splits a text at carriage returns and line feeds (CR LF counts once). An
// empty text is one empty line.
std::vector<std::string> splitLines(std::string_view sjis);

// Cuts a line into wrap pieces: one double-byte character, or a run of
// single-byte characters up to and including a blank, hyphen or carriage
// return. A lead byte at the very end stays a piece of its own.
std::vector<std::string> wrapPieces(std::string_view sjis);

// Breaks one line (no line ends inside) to width: pieces go onto the line
// while it still fits; a piece that doesn't starts the next line; a piece
// wider than width on its own is cut between characters, with at least one
// character per line so the wrap always ends.
std::vector<std::string> wrapLine(std::string_view sjis, double width, const MeasureFn& measure);

// The lines of a set of paragraphs, as a text element lays them out.
std::vector<std::string> layoutLines(const std::vector<std::string>& paragraphs, bool wordWrap,
                                     double width, const MeasureFn& measure);

}  // namespace dorimek::report
