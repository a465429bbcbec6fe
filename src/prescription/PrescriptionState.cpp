#include "PrescriptionState.h"

#include "masterfile/LineRecord.h"
#include "masterfile/MasterFileLimits.h"

#include <algorithm>

namespace dorimek::prescription {
namespace {
const std::string kEmpty;
const Usage kNoUsage;
}

const std::string& PrescriptionState::lineText(int n) const {
    if (n < 1 || n > count_) return kEmpty;
    return texts_[static_cast<size_t>(n)];
}

int PrescriptionState::masterIndex(int n) const {
    if (n < 0 || n > kMaxLines) return 0;
    return masterIndex_[static_cast<size_t>(n)];
}

const std::string& PrescriptionState::unknownDrugName(int k) const {
    if (k < 0 || k >= kUnknownSlots) return kEmpty;
    return unknownNames_[static_cast<size_t>(k)];
}

const Usage& PrescriptionState::usage(int n) const {
    if (n < 1 || n > kMaxLines) return kNoUsage;
    return usages_[static_cast<size_t>(n)];
}

void PrescriptionState::setUsage(int n, Usage usage) {
    if (n < 1 || n > kMaxLines) return;
    usages_[static_cast<size_t>(n)] = std::move(usage);
}

AppendResult PrescriptionState::appendKnown(std::string_view text, int index) {
    // A name of megabytes is a broken file, not a drug: every list, message
    // and sheet row would have to carry it.
    if (masterfile::absurdName(text)) return AppendResult::AbsurdName;
    // The sheets have 24 rows of slots; a line past them would have nowhere
    // to keep its record number.
    if (count_ >= kMaxLines) return AppendResult::ListFull;
    ++count_;
    texts_[static_cast<size_t>(count_)] = std::string(text);
    masterIndex_[static_cast<size_t>(count_)] = index;
    return AppendResult::Appended;
}

AppendResult PrescriptionState::appendUnknown(std::string_view text) {
    if (masterfile::absurdName(text)) return AppendResult::AbsurdName;
    if (count_ >= kMaxLines) return AppendResult::ListFull;
    const int slot = freeUnknownSlot();
    if (slot < 0) return AppendResult::NoUnknownSlot;
    unknownNames_[static_cast<size_t>(slot)] = std::string(text);
    ++count_;
    texts_[static_cast<size_t>(count_)] = std::string(text);
    masterIndex_[static_cast<size_t>(count_)] = -slot - 2;
    return AppendResult::Appended;
}

int PrescriptionState::freeUnknownSlot() const {
    for (int k = 0; k < kUnknownSlots; ++k) {
        if (unknownNames_[static_cast<size_t>(k)].empty()) return k;
    }
    return -1;
}

void PrescriptionState::clearUnknownNames() {
    for (auto& name : unknownNames_) name.clear();
}

void PrescriptionState::removeLine(int k) {
    if (k < 1 || k > count_) return;
    for (int i = k; i < count_; ++i) {
        texts_[static_cast<size_t>(i)] = std::move(texts_[static_cast<size_t>(i + 1)]);
        masterIndex_[static_cast<size_t>(i)] = masterIndex_[static_cast<size_t>(i + 1)];
        usages_[static_cast<size_t>(i)] = std::move(usages_[static_cast<size_t>(i + 1)]);
    }
    texts_[static_cast<size_t>(count_)].clear();
    // The last line's usage moved up with it; the position it leaves must
    // not hand it to the next line appended.
    usages_[static_cast<size_t>(count_)] = Usage{};
    --count_;
}

void PrescriptionState::clear() {
    for (auto& t : texts_) t.clear();
    masterIndex_.fill(0);
    count_ = 0;
}

int PrescriptionState::unusedUnknownSlot() const {
    for (int k = 0; k < kUnknownSlots; ++k) {
        if (!unknownNames_[static_cast<size_t>(k)].empty()) continue;
        bool referred = false;
        for (int n = 1; n <= count_ && !referred; ++n) {
            referred = masterIndex_[static_cast<size_t>(n)] == -k - 2;
        }
        if (!referred) return k;
    }
    return -1;
}

PrescriptionState::Rebound PrescriptionState::rebindAfterSave(
    const masterfile::MasterRewrite& rewrite) {
    return rebind(rewrite.names(), &rewrite);
}

PrescriptionState::Rebound PrescriptionState::rebindTo(const masterfile::MasterNames& masterList) {
    return rebind(masterList, nullptr);
}

PrescriptionState::Rebound PrescriptionState::rebind(const masterfile::MasterNames& names,
                                                     const masterfile::MasterRewrite* rewrite) {
    Rebound result;
    for (int n = 1; n <= count_;) {
        int& index = masterIndex_[static_cast<size_t>(n)];
        std::string& text = texts_[static_cast<size_t>(n)];
        if (index < 0) {
            ++n;
            continue;
        }
        std::optional<int> now;
        // The origins speak for a line only when its number named a record
        // of that name in the file the editor loaded.
        if (rewrite && index < static_cast<int>(rewrite->loadedNames.size()) &&
            rewrite->loadedNames[static_cast<size_t>(index)] == text) {
            now = rewrite->newNumberOf(index);
        } else {
            now = masterfile::findLineRecord(names, index, text);
        }
        if (now) {
            index = *now;
            text = names[static_cast<size_t>(*now)];
            ++n;
            continue;
        }
        const int slot = unusedUnknownSlot();
        if (slot >= 0) {
            unknownNames_[static_cast<size_t>(slot)] = text;
            index = -slot - 2;
            result.nameOnly.push_back(text);
            ++n;
        } else {
            result.removed.push_back(text);
            removeLine(n);
        }
    }
    return result;
}

void PrescriptionState::renameRecord(int recordNumber, std::string_view oldName,
                                     std::string_view newName) {
    for (int n = 1; n <= count_; ++n) {
        if (masterIndex_[static_cast<size_t>(n)] == recordNumber && texts_[static_cast<size_t>(n)] == oldName) {
            texts_[static_cast<size_t>(n)] = std::string(newName);
        }
    }
}

}  // namespace dorimek::prescription
