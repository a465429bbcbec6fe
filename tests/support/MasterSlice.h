#pragma once

#include <string>
#include <vector>

namespace dorimek::testing {

// A few records in the style of a national billing master as a clinic loads
// it: half-width kana RegisteredNames cut at 20 characters, so that one name
// stands for several drugs (strengths, makers, forms), and long printed names
// and packages. Written for the tests; no record is taken from a real master.
// Shift-JIS lines without line ends, in file order.
std::vector<std::string> masterSliceLines();
// yakujo.txt bytes of the slice (CR LF after every line).
std::string masterSliceFile();

// Where the shared names stand in the slice.
inline constexpr int kAmlodipineFirst = 1;  // ｱﾑﾛｼﾞﾋﾟﾝﾍﾞｼﾙｻﾝｴﾝODｼﾞ: records 1, 2, 3
inline constexpr int kAmlodipineSecond = 2;
inline constexpr int kCeftriaxoneFirst = 5;  // ｾﾌﾄﾘｱｷｿﾝﾅﾄﾘｳﾑｾｲｻﾞｲﾃﾝ: records 5, 6
inline constexpr int kCeftriaxoneSecond = 6;
inline constexpr int kLongNames = 7;  // a long 表示名 and 包装

}  // namespace dorimek::testing
