#include "TextWrap.h"

#include "platform/Sjis.h"

namespace dorimek::report {
namespace {

// Length in bytes of the character that starts at i.
size_t charLength(std::string_view s, size_t i) {
    if (platform::isDbcsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) return 2;
    return 1;
}

bool isBreakByte(char c) { return c == ' ' || c == '-' || c == '\r'; }

}  // namespace

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

std::vector<std::string> wrapLine(std::string_view s, double width, const MeasureFn& measure) {
    std::vector<std::string> lines;
    std::string line;
    for (std::string piece : wrapPieces(s)) {
        if (measure(line + piece) <= width) {
            line += piece;
            continue;
        }
        if (!line.empty()) {
            lines.push_back(std::move(line));
            line.clear();
            if (measure(piece) <= width) {
                line = std::move(piece);
                continue;
            }
        }
        // A piece wider than the element: cut it where it stops fitting.
        std::string_view rest = piece;
        while (!rest.empty()) {
            size_t cut = charLength(rest, 0);
            while (cut < rest.size()) {
                const size_t next = cut + charLength(rest, cut);
                if (measure(rest.substr(0, next)) > width) break;
                cut = next;
            }
            if (cut == rest.size()) {
                line = std::string(rest);
                break;
            }
            lines.emplace_back(rest.substr(0, cut));
            rest.remove_prefix(cut);
        }
    }
    if (!line.empty() || lines.empty()) lines.push_back(std::move(line));
    return lines;
}

std::vector<std::string> layoutLines(const std::vector<std::string>& paragraphs, bool wordWrap,
                                     double width, const MeasureFn& measure) {
    std::vector<std::string> out;
    for (const std::string& paragraph : paragraphs) {
        for (std::string& line : splitLines(paragraph)) {
            if (!wordWrap) {
                out.push_back(std::move(line));
                continue;
            }
            for (std::string& piece : wrapLine(line, width, measure))
                out.push_back(std::move(piece));
        }
    }
    return out;
}

}  // namespace dorimek::report
