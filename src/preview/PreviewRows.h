#pragma once

#include "PreviewLayout.h"
#include "masterfile/DrugMasterFile.h"
#include "sheets/PhotoCell.h"

#include <QSize>
#include <QString>

#include <array>
#include <string>
#include <vector>

namespace dorimek::prescription {
class PrescriptionSource;
}

namespace dorimek::preview {

// What one row of the preview shows (texts are Shift-JIS bytes, as read). A row
// past the prescription, or one whose record couldn't be read, is all empty.
struct PreviewRow {
    int line = 0;  // the prescription line shown; 0 for a row past the list
    std::string name;
    std::string form;
    std::string package;
    std::string efficacy;
    std::string caution;
    sheets::PhotoCell photo;
    std::vector<std::string> usage;  // one word per memo line
};

// Something the user should be told about once the window is open. The rows
// it concerns are still shown as far as they can be.
struct PreviewProblem {
    std::vector<int> lines;  // prescription lines concerned, ascending
    QString text;            // the reader's or decoder's Japanese text
};

struct PreviewRows {
    std::array<PreviewRow, kRowCount> rows;
    // One entry per photo file that opens but doesn't decode, however many
    // rows name it; their photo cells are empty.
    std::vector<PreviewProblem> undecodablePhotos;
    // Rows whose drug record couldn't be read from the master file at the
    // moment the window was filled; their cells are empty.
    std::vector<PreviewProblem> unreadableRecords;
    // Rows whose drug no record of the master file carries any more: they
    // show the line's name only.
    std::vector<PreviewProblem> recordsNotFound;

    // The one message that tells the user about every problem above, or an
    // empty text when there is none.
    QString problemMessage() const;
};

// Reads the rows for the first seven lines of the prescription: the master
// file once per known drug (a drug that is not in the master list shows its
// name only), each row's photo decoded for photoPixels device pixels and padded
// to the image's proportion, and each line's usage split into words. A row's
// trouble never keeps the rows after it from being filled.
PreviewRows buildPreviewRows(const prescription::PrescriptionSource& source, QSize photoPixels,
                             const QString& masterPath = masterfile::kMasterFileName);

}  // namespace dorimek::preview
