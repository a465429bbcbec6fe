#include "MasterListText.h"

#include "platform/Sjis.h"

namespace dorimek::mainwin {

std::string_view shownPart(std::string_view name) {
    return platform::leadingBytes(name, kShownNameBytes);
}

QString shownText(std::string_view name, platform::SjisBatchDecoder& decode) {
    const std::string_view shown = shownPart(name);
    return shown.size() == name.size() ? decode(name) : decode(shown) + QChar(0x2026);
}

}  // namespace dorimek::mainwin
