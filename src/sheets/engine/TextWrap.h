#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace dorimek::report {

// Width of a Shift-JIS text, in any unit the caller also uses for the limit.
using MeasureFn = std::function<double(std::string_view sjis)>;

// Closing marks that hang past the line's end (ぶら下げ): how far they may
// reach beyond the width, and where a text's ink ends measured from its
// start. An empty inkRight measures by advance; room 0 hangs nothing.
struct Hang {
    double room = 0;
    MeasureFn inkRight;
};

// Splits a text at carriage returns and line feeds (CR LF counts once). An
// empty text is one empty line.
std::vector<std::string> splitLines(std::string_view sjis);

// Cuts a line into wrap pieces: one double-byte character, or a run of
// single-byte characters up to and including a blank, hyphen or carriage
// return. A lead byte at the very end stays a piece of its own.
std::vector<std::string> wrapPieces(std::string_view sjis);

// Japanese line breaking: a closing mark (。、）」 ー, small kana, their
// half-width forms ...) never starts a line, an opening bracket (（「 ...)
// never ends one.
bool isLineStartProhibited(std::string_view sjisChar);
bool isLineEndProhibited(std::string_view sjisChar);

// Breaks one line (no line ends inside) to width: pieces go onto the line
// while it still fits; a piece that doesn't starts the next line; a piece
// wider than width on its own is cut between characters, with at least one
// character per line so the wrap always ends. Where the break would put a
// closing mark first or an opening bracket last, the closing mark hangs past
// the width when its ink stays within hang.room, and otherwise the piece
// before it goes down with it; where neither can be done the break stays.
std::vector<std::string> wrapLine(std::string_view sjis, double width, const MeasureFn& measure,
                                  const Hang& hang = {});

// The lines of a set of paragraphs, as a text element lays them out.
std::vector<std::string> layoutLines(const std::vector<std::string>& paragraphs, bool wordWrap,
                                     double width, const MeasureFn& measure,
                                     const Hang& hang = {});

}  // namespace dorimek::report
