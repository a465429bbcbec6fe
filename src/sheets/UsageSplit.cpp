#include "UsageSplit.h"

namespace dorimek::sheets {

std::vector<std::string> splitUsage(std::string_view usage) {
    std::vector<std::string> lines;
    if (usage.empty()) return lines;
    size_t start = 0;
    for (;;) {
        const size_t blank = usage.find(' ', start);
        if (blank == std::string_view::npos) {
            lines.emplace_back(usage.substr(start));
            return lines;
        }
        lines.emplace_back(usage.substr(start, blank - start));
        start = blank + 1;
    }
}

}  // namespace dorimek::sheets
