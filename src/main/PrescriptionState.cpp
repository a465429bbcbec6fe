#include "PrescriptionState.h"

namespace dorimek::mainwin {
namespace {
const std::string kEmpty;
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

AppendResult PrescriptionState::appendKnown(std::string_view text, int index) {
    // The sheets have 24 rows of slots; a line past them would have nowhere
    // to keep its record number.
    if (count_ >= kMaxLines) return AppendResult::ListFull;
    ++count_;
    texts_[static_cast<size_t>(count_)] = std::string(text);
    masterIndex_[static_cast<size_t>(count_)] = index;
    return AppendResult::Appended;
}

AppendResult PrescriptionState::appendUnknown(std::string_view text) {
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
    }
    texts_[static_cast<size_t>(count_)].clear();
    --count_;
}

void PrescriptionState::clear() {
    for (auto& t : texts_) t.clear();
    masterIndex_.fill(0);
    count_ = 0;
}

PrescriptionState::Rebound PrescriptionState::rebindTo(const std::vector<std::string>& masterList) {
    Rebound result;
    const auto size = static_cast<int>(masterList.size());
    for (int n = 1; n <= count_;) {
        int& index = masterIndex_[static_cast<size_t>(n)];
        const std::string& text = texts_[static_cast<size_t>(n)];
        if (index < 0 || (index < size && masterList[static_cast<size_t>(index)] == text)) {
            ++n;
            continue;
        }
        int found = -1;
        for (int i = 0; i < size; ++i) {
            if (masterList[static_cast<size_t>(i)] == text) {
                found = i;
                break;
            }
        }
        if (found >= 0) {
            index = found;
            ++n;
            continue;
        }
        const int slot = freeUnknownSlot();
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

}  // namespace dorimek::mainwin
