#pragma once

#include "platform/FontMap.h"

#include <QColor>
#include <QString>

namespace dorimek::report {

// Every stored length is in tenths of a millimetre; layouts are written in
// millimetres because that is how the sheets were designed.
constexpr double mmToTenths(double mm) { return mm * 10.0; }
constexpr double tenthsToMm(double tenths) { return tenths / 10.0; }
constexpr double kTenthsPerInch = 254.0;
constexpr double kTenthsPerPoint = kTenthsPerInch / 72.0;

enum TBandType { rbTitle, rbColumnHeader, rbDetail, rbSummary };
enum TAlignment { taLeftJustify, taCenter };
enum TShapeType { shHorLine, shVertLine };
enum TPenStyle { psSolid, psDot };

struct TReportFont {
    QString Name = platform::kMinchoFace;
    double Size = 10.0;  // points
    QColor Color = Qt::black;

    bool operator==(const TReportFont&) const = default;
};

struct TReportFrame {
    bool DrawTop = false;
    bool DrawBottom = false;
    bool DrawLeft = false;
    bool DrawRight = false;

    bool any() const { return DrawTop || DrawBottom || DrawLeft || DrawRight; }
};

}  // namespace dorimek::report
