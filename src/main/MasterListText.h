#pragma once

#include "masterfile/MasterFileLimits.h"
#include "platform/Sjis.h"

#include <QString>

#include <cstddef>
#include <string_view>

namespace dorimek::mainwin {

// A name is shown whole up to the length start-up reports as absurd; past it
// only its beginning and "…" are shown, so a broken file (no line ends, a
// name of megabytes) can't make the list lay out megabytes of text. The
// entry's bytes stay whole for every lookup.
inline constexpr size_t kShownNameBytes = masterfile::kListedNameBytes;

// The bytes of name that are shown: at most kShownNameBytes, never ending
// inside a double-byte character.
std::string_view shownPart(std::string_view name);

// The text of ListBox1's entry for name; decode is the list's one decoder.
QString shownText(std::string_view name, platform::SjisBatchDecoder& decode);

}  // namespace dorimek::mainwin
