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

QStringList masterListTexts(const std::vector<std::string>& names) {
    platform::SjisBatchDecoder decode;
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(names.size()));
    for (const std::string& name : names) {
        const std::string_view shown = shownPart(name);
        texts.append(shown.size() == name.size() ? decode(name)
                                                 : decode(shown) + QChar(0x2026));
    }
    return texts;
}

}  // namespace dorimek::mainwin
