#pragma once

#include <QString>

#include <vector>

namespace dorimek::bench {

// The floor: libjpeg-turbo decoding the 24 photos at 1/8, nothing else, in
// the current directory. Seconds; negative when a photo is missing.
double floorSeconds();

// One sheet in this process, from building the sheet form to the finished
// PDF file (no print submission). Prints "seconds floor peakKB pdfBytes".
int measureSheet(const QString& folder, int style, int records);

// The camera case: 24 rows of 8000 x 6000 progressive photos (see
// stageCameraPhotos), each row's photo cell against libjpeg decoding the same
// file whole at 1/8, and the whole sheet. Prints "eighth rowMedian rowMin
// sheet sheetPeakKB peakKB" (seconds, the decode figures per photo).
int measureCamera(const QString& folder);

// The 24 rows of a sheet finding their records in a master file of records
// lines: as the sheet does it (each row reads the file from the top) against
// reading the file once for the whole sheet. Prints the table's rows.
int measureRowReads(const QString& folder, const std::vector<int>& masters, int runs);

}  // namespace dorimek::bench
