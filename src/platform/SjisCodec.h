#pragma once

#include <QString>

namespace dorimek::platform {

// text with the characters input methods type under other code points than
// code page 932 holds them replaced by the code page's own (see Sjis.cpp).
// The encoders of every system apply it before they encode.
QString inCodePageForms(const QString& text);

}  // namespace dorimek::platform
