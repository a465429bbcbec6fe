#pragma once

#include <QFont>
#include <QString>

namespace dorimek::platform {

// The two faces the windows and sheets are designed in: where the system has
// them (Windows) they are used, elsewhere IPA's proportional faces, of the
// same role and metrics class, stand in.
// Returns the installed family that stands in for face. A face that maps to
// nothing installed falls back to an installed family with Japanese glyphs,
// never to a Latin-only face.
QString mappedFamily(const QString& face);

// A font of the mapped family with a character height in pixels (window
// fonts are given that way).
QFont windowFont(const QString& face, int pixelHeight);

// A font of the mapped family in points (sheet fonts are given that way).
QFont printFont(const QString& face, qreal pointSize);

inline const QString kGothicFace = QStringLiteral("ＭＳ Ｐゴシック");
inline const QString kMinchoFace = QStringLiteral("ＭＳ Ｐ明朝");

}  // namespace dorimek::platform
