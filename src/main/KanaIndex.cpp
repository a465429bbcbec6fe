#include "KanaIndex.h"

#include "platform/Sjis.h"

namespace dorimek::mainwin {

const std::array<KanaButton, kKanaButtonCount>& kanaButtons() {
    // The ヤ column has no イ and エ rows, so Button38 and Button40 went to the
    // preview and print commands; the codes still run on without a gap.
    static const std::array<KanaButton, kKanaButtonCount> table = {{
        {1, "ア", 0xB1, 0, 0},  {2, "イ", 0xB2, 1, 0},  {3, "ウ", 0xB3, 2, 0},
        {4, "エ", 0xB4, 3, 0},  {5, "オ", 0xB5, 4, 0},  {6, "カ", 0xB6, 0, 1},
        {7, "キ", 0xB7, 1, 1},  {8, "ク", 0xB8, 2, 1},  {9, "ケ", 0xB9, 3, 1},
        {10, "コ", 0xBA, 4, 1}, {11, "サ", 0xBB, 0, 2}, {12, "シ", 0xBC, 1, 2},
        {13, "ス", 0xBD, 2, 2}, {14, "セ", 0xBE, 3, 2}, {15, "ソ", 0xBF, 4, 2},
        {16, "タ", 0xC0, 0, 3}, {17, "チ", 0xC1, 1, 3}, {18, "ツ", 0xC2, 2, 3},
        {19, "テ", 0xC3, 3, 3}, {20, "ト", 0xC4, 4, 3}, {21, "ナ", 0xC5, 0, 4},
        {22, "ニ", 0xC6, 1, 4}, {23, "ヌ", 0xC7, 2, 4}, {24, "ネ", 0xC8, 3, 4},
        {25, "ノ", 0xC9, 4, 4}, {26, "ハ", 0xCA, 0, 5}, {27, "ヒ", 0xCB, 1, 5},
        {28, "フ", 0xCC, 2, 5}, {29, "ヘ", 0xCD, 3, 5}, {30, "ホ", 0xCE, 4, 5},
        {31, "マ", 0xCF, 0, 6}, {32, "ミ", 0xD0, 1, 6}, {33, "ム", 0xD1, 2, 6},
        {34, "メ", 0xD2, 3, 6}, {35, "モ", 0xD3, 4, 6}, {36, "ヤ", 0xD4, 0, 7},
        {37, "ユ", 0xD5, 2, 7}, {39, "ヨ", 0xD6, 4, 7}, {41, "ラ", 0xD7, 0, 8},
        {42, "リ", 0xD8, 1, 8}, {43, "ル", 0xD9, 2, 8}, {44, "レ", 0xDA, 3, 8},
        {45, "ロ", 0xDB, 4, 8}, {46, "ワ", 0xDC, 0, 9},
    }};
    return table;
}

std::optional<int> findKanaEntry(const masterfile::MasterNames& names, unsigned char code) {
    for (size_t i = 0; i < names.size(); ++i) {
        if (!names[i].empty() && static_cast<unsigned char>(names[i][0]) == code) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

std::optional<int> alphanumericEntry(const masterfile::MasterNames& names) {
    if (names.size() < 2) return std::nullopt;
    return 1;
}

std::optional<int> findDoubleByteEntry(const masterfile::MasterNames& names) {
    for (size_t i = 0; i < names.size(); ++i) {
        if (!names[i].empty() &&
            platform::isDbcsLeadByte(static_cast<unsigned char>(names[i][0]))) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

}  // namespace dorimek::mainwin
