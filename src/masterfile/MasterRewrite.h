#pragma once

#include "masterfile/DrugMasterFile.h"

#include <optional>
#include <string>
#include <vector>

namespace dorimek::masterfile {

// What a save of the whole file did to the records: the records now in the
// file and, for each, the number it had in the file as the editor loaded it.
// Lets whoever holds record numbers follow each record to its new number,
// whatever was renamed, inserted or deleted around it.
struct MasterRewrite {
    std::vector<DrugRecord> records;       // as saved, in file order
    std::vector<int> origins;              // per saved record; -1 for a new row
    std::vector<std::string> loadedNames;  // RegisteredNames of the file as loaded

    MasterNames names() const {
        MasterNames out;
        for (const DrugRecord& r : records) out.push_back(r.registeredName);
        return out;
    }
    // The number that loaded record now has; nullopt when its row was deleted.
    std::optional<int> newNumberOf(int loadedNumber) const {
        for (size_t j = 0; j < origins.size(); ++j) {
            if (origins[j] == loadedNumber) return static_cast<int>(j);
        }
        return std::nullopt;
    }
};

}  // namespace dorimek::masterfile
