#include "PreviewRows.h"

#include "platform/Sjis.h"
#include "prescription/PrescriptionSource.h"
#include "sheets/PhotoBox.h"
#include "sheets/PhotoResolver.h"
#include "sheets/UsageSplit.h"

#include <algorithm>

namespace dorimek::preview {

PreviewRows buildPreviewRows(const prescription::PrescriptionSource& source, QSize photoPixels,
                             const QString& masterPath,
                             const std::function<void(int done, int total)>& progress) {
    PreviewRows result;
    sheets::PhotoResolver resolver;  // one listing of each photo folder for all the rows
    const prescription::PrescriptionState& state = source.prescription();
    result.rows.resize(static_cast<size_t>(std::max(0, state.lineCount())));
    for (int line = 1; line <= state.lineCount(); ++line) {
        PreviewRow& row = result.rows[static_cast<size_t>(line - 1)];
        row.line = line;
        // The usage belongs to the line, not to its record: it is shown even
        // when the drug's own cells can't be.
        row.usage = sheets::splitUsage(source.usageText(line));

        const int index = state.masterIndex(line);
        const int slot = -index - 2;
        const bool named = slot >= 0 && slot < prescription::PrescriptionState::kUnknownSlots;
        sheets::LineContents contents = sheets::readLineContents(
            line, index, state.lineText(line), named ? state.unknownDrugName(slot) : std::string(),
            result.problems, masterPath);
        row.name = std::move(contents.row.displayName);
        if (!contents.fromRecord) continue;
        row.form = std::move(contents.row.shapeCode);
        row.package = std::move(contents.row.package);
        row.efficacy = std::move(contents.row.efficacy);
        row.caution = std::move(contents.row.caution);
        row.photo = sheets::loadPhotoCell(contents.row.photoFileName,
                                          sheets::kPhotoProportionStyle3, photoPixels, resolver);
        if (!row.photo.error.isEmpty()) {
            result.problems.add(sheets::LineProblems::Kind::PhotoNotShown, line, row.photo.error);
        }
        if (progress) progress(line, state.lineCount());
    }
    return result;
}

}  // namespace dorimek::preview
