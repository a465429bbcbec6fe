#pragma once

#include "masterfile/MasterNames.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace dorimek::mainwin {

// One kana button of the master list's index: the designer's button number,
// its full-width caption, the half-width katakana code it looks for, and its
// place in the grid (column = the kana's row of the syllabary, row = vowel).
struct KanaButton {
    int number;
    const char* caption;  // UTF-8
    unsigned char code;
    int row;
    int column;
};

inline constexpr int kKanaButtonCount = 44;
const std::array<KanaButton, kKanaButtonCount>& kanaButtons();

// The first entry whose first byte is code. Only the first byte counts, so
// a voiced kana written half-width (ｶﾞ) is found under its plain kana.
std::optional<int> findKanaEntry(const masterfile::MasterNames& names, unsigned char code);

// "英数": the second entry, when there is one.
std::optional<int> alphanumericEntry(const masterfile::MasterNames& names);

// "漢": the first entry that begins with a double-byte character (kanji,
// full-width kana, any full-width sign). An empty entry never matches.
std::optional<int> findDoubleByteEntry(const masterfile::MasterNames& names);

}  // namespace dorimek::mainwin
