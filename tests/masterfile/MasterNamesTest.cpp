#include "masterfile/MasterNames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dorimek::masterfile {
namespace {

using Names = std::vector<std::string>;

struct ReplaceCase {
    const char* what;
    size_t index;
    std::string name;
    Names after;
};

class MasterNamesReplace : public ::testing::TestWithParam<ReplaceCase> {};

// A rename moves the bytes of every later name; each must still read whole.
TEST_P(MasterNamesReplace, OnlyThatNameChanges) {
    const ReplaceCase& c = GetParam();
    MasterNames names(Names{"abc", "", "de", "fgh"});
    names.replace(c.index, c.name);
    EXPECT_EQ(names.toVector(), c.after) << c.what;
    EXPECT_EQ(names, MasterNames(c.after)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Renames, MasterNamesReplace,
    ::testing::Values(ReplaceCase{"first, longer", 0, "abcxyz", {"abcxyz", "", "de", "fgh"}},
                      ReplaceCase{"first, to empty", 0, "", {"", "", "de", "fgh"}},
                      ReplaceCase{"empty one filled", 1, "q", {"abc", "q", "de", "fgh"}},
                      ReplaceCase{"middle, shorter", 2, "d", {"abc", "", "d", "fgh"}},
                      ReplaceCase{"middle, same size", 2, "DE", {"abc", "", "DE", "fgh"}},
                      ReplaceCase{"last, longer", 3, "fghijk", {"abc", "", "de", "fghijk"}}));

TEST(MasterNames, AtPastTheEndThrowsLikeAVector) {
    const MasterNames names{"a"};
    EXPECT_EQ(names.at(0), "a");
    EXPECT_THROW(names.at(1), std::out_of_range);
}

}  // namespace
}  // namespace dorimek::masterfile
