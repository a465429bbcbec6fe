#include "MasterListText.h"

#include "platform/Sjis.h"

namespace dorimek::mainwin {

std::string_view shownPart(std::string_view name) {
    if (name.size() <= kShownNameBytes) return name;
    size_t end = 0;
    while (end < name.size()) {
        const size_t step = platform::isDbcsLeadByte(static_cast<unsigned char>(name[end])) ? 2 : 1;
        if (end + step > kShownNameBytes) break;
        end += step;
    }
    return name.substr(0, end);
}

QString shownText(std::string_view name, platform::SjisBatchDecoder& decode) {
    const std::string_view shown = shownPart(name);
    return shown.size() == name.size() ? decode(name) : decode(shown) + QChar(0x2026);
}

}  // namespace dorimek::mainwin
