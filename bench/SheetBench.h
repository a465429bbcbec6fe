#pragma once

#include <QString>

namespace dorimek::bench {

// The floor: libjpeg-turbo decoding the 24 photos at 1/8, nothing else, in
// the current directory. Seconds; negative when a photo is missing.
double floorSeconds();

// One sheet in this process, from building the sheet form to the finished
// PDF file (no print submission). Prints "seconds floor peakKB pdfBytes".
int measureSheet(const QString& folder, int style, int records);

}  // namespace dorimek::bench
