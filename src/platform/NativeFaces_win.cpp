#include "NativeFaces.h"

#include "FontMap.h"

namespace dorimek::platform {

// Windows in Japanese lists the faces under their Japanese names, in other
// languages under the Latin ones.
QStringList nativeFamilies(const QString& face) {
    if (face == kGothicFace) return {face, QStringLiteral("MS PGothic")};
    if (face == kMinchoFace) return {face, QStringLiteral("MS PMincho")};
    return {face};
}

}  // namespace dorimek::platform
