#include "prescription/PrescriptionState.h"


#include "TestFiles.h"

#include "masterfile/MasterFileLimits.h"

#include <gtest/gtest.h>

#include <functional>

#include <string>
#include <vector>

namespace dorimek::prescription {
namespace {


using Strings = std::vector<std::string>;

// ------------------------------------------------------------ prescription

TEST(PrescriptionState, AppendKnownAndRefuseThe25th) {
    PrescriptionState p;
    for (int i = 0; i < PrescriptionState::kMaxLines; ++i) {
        ASSERT_EQ(p.appendKnown("drug" + std::to_string(i), 100 + i), AppendResult::Appended);
    }
    EXPECT_EQ(p.appendKnown("one too many", 7), AppendResult::ListFull);
    EXPECT_EQ(p.appendUnknown("unknown too"), AppendResult::ListFull);
    EXPECT_EQ(p.lineCount(), 24);
    EXPECT_EQ(p.lineText(24), "drug23");
    EXPECT_EQ(p.masterIndex(24), 123);
    EXPECT_EQ(p.unknownDrugName(0), "");  // the refused one took no name slot
}

TEST(PrescriptionState, SameDrugTwiceAndOutOfRangeReads) {
    PrescriptionState p;
    p.appendKnown("A", 3);
    p.appendKnown("A", 3);
    EXPECT_EQ(p.lineCount(), 2);
    EXPECT_EQ(p.masterIndex(2), 3);
    EXPECT_EQ(p.lineText(0), "");
    EXPECT_EQ(p.lineText(3), "");
    EXPECT_EQ(p.masterIndex(-1), 0);
    EXPECT_EQ(p.masterIndex(25), 0);
    EXPECT_EQ(p.unknownDrugName(8), "");
    EXPECT_EQ(p.unknownDrugName(-1), "");
}

TEST(PrescriptionState, RemoveLineShiftsIndices) {
    struct Case {
        int remove;
        Strings texts;
        std::vector<int> indices;
    };
    const Case cases[] = {
        {2, {"A", "C"}, {5, 2}},         {1, {"B", "C"}, {9, 2}},         {3, {"A", "B"}, {5, 9}},
        {0, {"A", "B", "C"}, {5, 9, 2}}, {4, {"A", "B", "C"}, {5, 9, 2}},
    };
    for (const Case& c : cases) {
        PrescriptionState p;
        p.appendKnown("A", 5);
        p.appendKnown("B", 9);
        p.appendKnown("C", 2);
        p.removeLine(c.remove);
        ASSERT_EQ(p.lineCount(), static_cast<int>(c.texts.size())) << c.remove;
        for (int n = 1; n <= p.lineCount(); ++n) {
            EXPECT_EQ(p.lineText(n), c.texts[static_cast<size_t>(n - 1)]) << c.remove;
            EXPECT_EQ(p.masterIndex(n), c.indices[static_cast<size_t>(n - 1)]) << c.remove;
        }
    }
}

// Every position has a usage: a line's moves with it when a line above is
// removed, the position freed after the last line has none, and a position
// past the lines keeps what was set there before its line exists.
TEST(PrescriptionState, UsagesMoveWithTheirLines) {
    struct Case {
        const char* what;
        std::function<void(PrescriptionState&)> act;
        Strings usages;  // positions 1..5 afterwards
    };
    const Case cases[] = {
        {"line 1 removed", [](PrescriptionState& p) { p.removeLine(1); }, {"b", "c", "", "d", ""}},
        {"the last line removed",
         [](PrescriptionState& p) { p.removeLine(3); },
         {"a", "b", "", "d", ""}},
        {"cleared: kept for the next lines",
         [](PrescriptionState& p) {
             p.clear();
             p.appendKnown("X", 0);
         },
         {"a", "b", "c", "d", ""}},
        {"appended at the position typed ahead",
         [](PrescriptionState& p) { p.appendKnown("D", 4); },
         {"a", "b", "c", "d", ""}},
    };
    for (const Case& c : cases) {
        PrescriptionState p;
        p.appendKnown("A", 0);
        p.appendKnown("B", 1);
        p.appendKnown("C", 2);
        const char* typed[] = {"a", "b", "c", "d"};
        for (int n = 1; n <= 4; ++n) p.setUsage(n, typed[n - 1]);
        c.act(p);
        for (int n = 1; n <= 5; ++n)
            EXPECT_EQ(p.usage(n).text, c.usages[static_cast<size_t>(n - 1)]) << c.what << " " << n;
    }
}

TEST(PrescriptionState, AbsurdNameIsNoLine) {
    PrescriptionState p;
    const std::string absurd(masterfile::kAbsurdNameBytes + 1, 'N');
    EXPECT_EQ(p.appendKnown(absurd, 0), AppendResult::AbsurdName);
    EXPECT_EQ(p.appendUnknown(absurd), AppendResult::AbsurdName);
    EXPECT_EQ(p.appendKnown(absurd.substr(1), 0), AppendResult::Appended);
    EXPECT_EQ(p.lineCount(), 1);
    EXPECT_EQ(p.unknownDrugName(0), "");
}

TEST(PrescriptionState, ClearKeepsUnknownNames) {
    PrescriptionState p;
    p.appendKnown("A", 5);
    p.appendUnknown("X");
    p.clear();
    EXPECT_EQ(p.lineCount(), 0);
    for (int n = 1; n <= 24; ++n) EXPECT_EQ(p.masterIndex(n), 0);
    EXPECT_EQ(p.unknownDrugName(0), "X");
    p.appendKnown("B", 1);
    EXPECT_EQ(p.lineText(1), "B");
}

TEST(PrescriptionState, UnknownDrugSlots) {
    PrescriptionState p;
    p.appendKnown("known", 4);
    EXPECT_EQ(p.appendUnknown("X"), AppendResult::Appended);
    EXPECT_EQ(p.appendUnknown("Y"), AppendResult::Appended);
    EXPECT_EQ(p.masterIndex(2), -2);
    EXPECT_EQ(p.masterIndex(3), -3);
    EXPECT_TRUE(p.isUnknown(2));
    EXPECT_FALSE(p.isUnknown(1));
    EXPECT_EQ(p.unknownDrugName(1), "Y");

    // A second import empties the names first: its first unknown drug takes
    // entry 0 again, and an older line pointing there shows the new name.
    p.clearUnknownNames();
    EXPECT_EQ(p.appendUnknown("Z"), AppendResult::Appended);
    EXPECT_EQ(p.masterIndex(4), -2);
    EXPECT_EQ(p.unknownDrugName(-p.masterIndex(2) - 2), "Z");

    for (int k = 1; k < PrescriptionState::kUnknownSlots; ++k) {
        ASSERT_EQ(p.appendUnknown("U" + std::to_string(k)), AppendResult::Appended);
    }
    const int before = p.lineCount();
    EXPECT_EQ(p.appendUnknown("ninth"), AppendResult::NoUnknownSlot);
    EXPECT_EQ(p.lineCount(), before);
    EXPECT_EQ(p.masterIndex(p.lineCount()), -9);
}

// After a grid save that inserted, deleted or moved rows, every line must
// still print its own drug: never whatever record now stands at its old number.
TEST(PrescriptionState, RebindFollowsEachDrugToItsNewRecord) {
    struct Case {
        const char* what;
        Strings before;        // master list when the lines were picked
        Strings after;         // master list after the save
        Strings lines;         // texts picked, in order
        std::vector<int> wantIndex;
        Strings wantNameOnly;
        Strings wantRemoved;
        int unknownSlotsTaken;
    };
    const Case cases[] = {
        {"nothing moved", {"A", "B", "C"}, {"A", "B", "C"}, {"C", "A"}, {2, 0}, {}, {}, 0},
        {"row inserted above", {"A", "B", "C"}, {"X", "A", "B", "C"}, {"C", "A"}, {3, 1}, {}, {}, 0},
        {"row deleted above", {"A", "B", "C"}, {"B", "C"}, {"C", "B"}, {1, 0}, {}, {}, 0},
        {"drug deleted", {"A", "B", "C"}, {"A", "C"}, {"B", "C"}, {-2, 1}, {"B"}, {}, 0},
        {"duplicates bind to the first", {"A", "B"}, {"B", "A", "B"}, {"B"}, {0}, {}, {}, 0},
        {"no name entry left", {"A", "B"}, {"A"}, {"B", "A"}, {0}, {}, {"B"}, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PrescriptionState state;
        for (int k = 0; k < c.unknownSlotsTaken; ++k) state.appendUnknown("U" + std::to_string(k));
        const int first = state.lineCount() + 1;
        for (const std::string& text : c.lines) {
            const auto at = std::find(c.before.begin(), c.before.end(), text) - c.before.begin();
            ASSERT_EQ(state.appendKnown(text, static_cast<int>(at)), AppendResult::Appended);
        }
        const PrescriptionState::Rebound r = state.rebindTo(c.after);
        EXPECT_EQ(r.nameOnly, c.wantNameOnly);
        EXPECT_EQ(r.removed, c.wantRemoved);
        ASSERT_EQ(state.lineCount() - first + 1, static_cast<int>(c.wantIndex.size()));
        for (size_t i = 0; i < c.wantIndex.size(); ++i) {
            const int n = first + static_cast<int>(i);
            EXPECT_EQ(state.masterIndex(n), c.wantIndex[i]) << "line " << n;
            if (state.isUnknown(n)) {
                EXPECT_EQ(state.unknownDrugName(-state.masterIndex(n) - 2), state.lineText(n));
            } else {
                EXPECT_EQ(c.after[static_cast<size_t>(state.masterIndex(n))], state.lineText(n));
            }
        }
    }
}

}  // namespace
}  // namespace dorimek::prescription
