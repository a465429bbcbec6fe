#include "TextWrap.h"

#include "platform/Sjis.h"

#include <QString>

#include <unordered_set>

namespace dorimek::report {
namespace {

// Length in bytes of the character that starts at i.
size_t charLength(std::string_view s, size_t i) {
    if (platform::isDbcsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) return 2;
    return 1;
}

bool isBreakByte(char c) { return c == ' ' || c == '-' || c == '\r'; }

unsigned codeOf(std::string_view c) {
    unsigned code = 0;
    for (char b : c) code = code << 8 | static_cast<unsigned char>(b);
    return code;
}

// The Shift-JIS codes of a set of characters given in Unicode.
std::unordered_set<unsigned> codesOf(const QString& chars) {
    std::unordered_set<unsigned> codes;
    for (const QChar ch : chars) {
        bool ok = false;
        const std::string c = platform::fromUnicode(QString(ch), &ok);
        if (ok && !c.empty()) codes.insert(codeOf(c));
    }
    return codes;
}

// Closing brackets, dividing and ending punctuation, middle dots, iteration
// marks, the prolonged sound mark and the small kana, full-width and
// half-width, and their ASCII counterparts.
const std::unordered_set<unsigned>& lineStartProhibited() {
    static const std::unordered_set<unsigned> codes = codesOf(QStringLiteral(
        "、。，．・：；？！゛゜ヽヾゝゞ々ー‐～）］｝」』】〕〉》’”"
        "ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮヵヶ"
        "｡､｣･ｧｨｩｪｫｬｭｮｯｰﾞﾟ),.:;!?]}"));
    return codes;
}

const std::unordered_set<unsigned>& lineEndProhibited() {
    static const std::unordered_set<unsigned> codes =
        codesOf(QStringLiteral("（［｛「『【〔〈《‘“｢([{"));
    return codes;
}

// The characters of a piece, each as its bytes.
std::vector<std::string_view> charsOf(std::string_view s) {
    std::vector<std::string_view> chars;
    for (size_t i = 0; i < s.size();) {
        const size_t n = charLength(s, i);
        chars.push_back(s.substr(i, n));
        i += n;
    }
    return chars;
}

bool startsWithClosing(std::string_view piece) {
    return !piece.empty() && isLineStartProhibited(piece.substr(0, charLength(piece, 0)));
}

bool endsWithOpening(std::string_view piece) {
    const auto chars = charsOf(piece);
    return !chars.empty() && isLineEndProhibited(chars.back());
}

// Only closing marks (and blanks after them): what may hang.
bool onlyClosing(std::string_view piece) {
    if (!startsWithClosing(piece)) return false;
    for (std::string_view c : charsOf(piece)) {
        if (c != " " && !isLineStartProhibited(c)) return false;
    }
    return true;
}

bool breakAllowed(std::string_view before, std::string_view after) {
    return !endsWithOpening(before) && !startsWithClosing(after);
}

std::string joined(const std::vector<std::string>& pieces, size_t from, size_t to) {
    std::string out;
    for (size_t i = from; i < to; ++i) out += pieces[i];
    return out;
}

// Where an overlong piece is cut: the longest start that fits (at least one
// character), moved back a character where it would put a closing mark first
// or leave an opening bracket last.
size_t cutPoint(std::string_view rest, double width, const MeasureFn& measure) {
    const auto chars = charsOf(rest);
    size_t count = 1;
    size_t bytes = chars[0].size();
    while (count < chars.size() && measure(rest.substr(0, bytes + chars[count].size())) <= width) {
        bytes += chars[count].size();
        ++count;
    }
    while (count > 1 && count < chars.size() &&
           (isLineStartProhibited(chars[count]) || isLineEndProhibited(chars[count - 1]))) {
        --count;
        bytes -= chars[count].size();
    }
    return bytes;
}

}  // namespace

bool isLineStartProhibited(std::string_view c) { return lineStartProhibited().count(codeOf(c)) > 0; }

bool isLineEndProhibited(std::string_view c) { return lineEndProhibited().count(codeOf(c)) > 0; }

std::vector<std::string> splitLines(std::string_view s) {
    std::vector<std::string> lines;
    std::string current;
    for (size_t i = 0; i < s.size();) {
        const size_t n = charLength(s, i);
        if (n == 1 && (s[i] == '\r' || s[i] == '\n')) {
            lines.push_back(std::move(current));
            current.clear();
            i += (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ? 2 : 1;
            continue;
        }
        current.append(s.substr(i, n));
        i += n;
    }
    lines.push_back(std::move(current));
    return lines;
}

std::vector<std::string> wrapPieces(std::string_view s) {
    std::vector<std::string> pieces;
    std::string run;
    for (size_t i = 0; i < s.size();) {
        const size_t n = charLength(s, i);
        if (n == 2) {
            if (!run.empty()) pieces.push_back(std::move(run));
            run.clear();
            pieces.emplace_back(s.substr(i, 2));
        } else {
            run.push_back(s[i]);
            if (isBreakByte(s[i])) {
                pieces.push_back(std::move(run));
                run.clear();
            }
        }
        i += n;
    }
    if (!run.empty()) pieces.push_back(std::move(run));
    return pieces;
}

std::vector<std::string> wrapLine(std::string_view s, double width, const MeasureFn& measure,
                                  const Hang& hang) {
    std::vector<std::string> lines;
    std::vector<std::string> line;  // the pieces of the line being filled
    std::string text;               // and their text
    auto hangs = [&](const std::string& piece) {
        if (hang.room <= 0 || !onlyClosing(piece)) return false;
        const double ink = hang.inkRight ? hang.inkRight(piece) : measure(piece);
        return measure(text) + ink <= width + hang.room;
    };
    for (std::string piece : wrapPieces(s)) {
        if (measure(text + piece) <= width || (!line.empty() && hangs(piece))) {
            text += piece;
            line.push_back(std::move(piece));
            continue;
        }
        if (!line.empty()) {
            // Back to the last place where a line may end and the next begin.
            size_t keep = line.size();
            while (keep > 0 && !breakAllowed(line[keep - 1], keep < line.size() ? line[keep] : piece))
                --keep;
            if (keep > 0 && keep < line.size()) {
                std::string carried = joined(line, keep, line.size()) + piece;
                if (measure(carried) <= width) {
                    lines.push_back(joined(line, 0, keep));
                    line.erase(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(keep));
                    line.push_back(std::move(piece));
                    text = std::move(carried);
                    continue;
                }
            }
            lines.push_back(std::move(text));
            line.clear();
            text.clear();
            if (measure(piece) <= width) {
                text = piece;
                line.push_back(std::move(piece));
                continue;
            }
        }
        // A piece wider than the element: cut it where it stops fitting.
        std::string_view rest = piece;
        while (!rest.empty()) {
            const size_t cut = cutPoint(rest, width, measure);
            if (cut == rest.size()) {
                text = std::string(rest);
                line.push_back(text);
                break;
            }
            lines.emplace_back(rest.substr(0, cut));
            rest.remove_prefix(cut);
        }
    }
    if (!text.empty() || lines.empty()) lines.push_back(std::move(text));
    return lines;
}

std::vector<std::string> layoutLines(const std::vector<std::string>& paragraphs, bool wordWrap,
                                     double width, const MeasureFn& measure, const Hang& hang) {
    std::vector<std::string> out;
    for (const std::string& paragraph : paragraphs) {
        for (std::string& line : splitLines(paragraph)) {
            if (!wordWrap) {
                out.push_back(std::move(line));
                continue;
            }
            for (std::string& piece : wrapLine(line, width, measure, hang))
                out.push_back(std::move(piece));
        }
    }
    return out;
}

}  // namespace dorimek::report
