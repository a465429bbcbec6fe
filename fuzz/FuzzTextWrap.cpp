// The report engine's line breaking on arbitrary Shift-JIS bytes: any text,
// any width, with and without word wrap.
#include "FuzzSupport.h"

#include "platform/Sjis.h"
#include "sheets/engine/TextWrap.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace dorimek;
using dorimek::fuzz::check;

namespace {

// Widths like a proportional font's: a double-byte character twice a
// single-byte one, blanks narrower, half-width katakana in between.
double measure(std::string_view s) {
    double w = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (platform::isDbcsLeadByte(b) && i + 1 < s.size()) {
            w += 10;
            ++i;
        } else if (b == ' ') {
            w += 3;
        } else if (b >= 0xA1 && b <= 0xDF) {
            w += 5;
        } else {
            w += 6;
        }
    }
    return w;
}

// The number of characters a line holds (a lone lead byte at the end is one).
size_t characters(std::string_view s) {
    size_t n = 0;
    for (size_t i = 0; i < s.size(); ++n) {
        i += (platform::isDbcsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2
                                                                                              : 1;
    }
    return n;
}

// True when cutting s at every boundary in lines never split a double-byte
// character: walking the joined text, every cut falls between characters.
bool cutsBetweenCharacters(const std::vector<std::string>& lines) {
    std::string joined;
    std::vector<size_t> cuts;
    for (const std::string& l : lines) {
        joined += l;
        cuts.push_back(joined.size());
    }
    size_t i = 0;
    size_t next = 0;
    while (i < joined.size()) {
        while (next < cuts.size() && cuts[next] < i) return false;
        while (next < cuts.size() && cuts[next] == i) ++next;
        i += (platform::isDbcsLeadByte(static_cast<unsigned char>(joined[i])) &&
              i + 1 < joined.size())
                 ? 2
                 : 1;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const bool wordWrap = in.ConsumeBool();
    // Widths from below one character (every character on a line of its
    // own) to far wider than any text; negative and zero widths too.
    const double width = in.ConsumeIntegralInRange<int>(-20, 2000) / 2.0;
    std::vector<std::string> paragraphs;
    while (in.remaining_bytes() > 0 && paragraphs.size() < 8) {
        paragraphs.push_back(in.ConsumeRandomLengthString(1024));
    }

    for (const std::string& paragraph : paragraphs) {
        const std::vector<std::string> split = report::splitLines(paragraph);
        check(!split.empty(), "splitLines gave no line");
        size_t bytesKept = 0;
        for (const std::string& l : split) bytesKept += l.size();
        check(bytesKept <= paragraph.size(), "splitLines made text up");

        std::string pieces;
        for (const std::string& p : report::wrapPieces(paragraph)) {
            check(!p.empty(), "an empty wrap piece");
            pieces += p;
        }
        check(pieces == paragraph, "wrap pieces lost bytes");

        for (const std::string& line : split) {
            const std::vector<std::string> wrapped = report::wrapLine(line, width, measure);
            check(!wrapped.empty(), "wrapLine gave no line");
            std::string joined;
            for (const std::string& w : wrapped) joined += w;
            check(joined == line, "wrapLine lost or reordered bytes");
            check(cutsBetweenCharacters(wrapped), "wrapLine cut a double-byte character");
            for (const std::string& w : wrapped) {
                if (wrapped.size() > 1) check(!w.empty(), "an empty line inside a wrap");
                check(measure(w) <= width || characters(w) <= 1,
                      "a wrapped line is wider than the width");
            }
        }
    }
    const std::vector<std::string> laid = report::layoutLines(paragraphs, wordWrap, width, measure);
    if (!wordWrap) {
        size_t expected = 0;
        for (const std::string& p : paragraphs) expected += report::splitLines(p).size();
        check(laid.size() == expected, "layout without wrap changed the line count");
    }
    return 0;
}
