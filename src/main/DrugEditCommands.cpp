#include "DrugEditCommands.h"

#include "Main.h"
#include "platform/Messages.h"
#include "platform/Sjis.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace dorimek::mainwin {

void DrugEditCommands::loadSelectedLine() {
    QListWidget* lines = form_.listBox2();
    const QList<QListWidgetItem*> selected = lines->selectedItems();
    if (selected.isEmpty()) return;
    const int n = lines->row(selected.first()) + 1;
    const prescription::PrescriptionState& state = form_.prescription();
    if (n < 1 || n > state.lineCount()) return;
    // The line's own bytes, not its shown text: the lookup compares bytes.
    const std::string& name = state.lineText(n);

    // The record the line stands for, as its sheet row prints it: several
    // records may carry the same name.
    Result<LoadedDrug> loaded = editor_.load(name, state.masterIndex(n));
    if (!loaded) {
        // Nothing to edit: the fields and any record loaded before stay as
        // they were, so "編集終了" can't write these texts over another drug.
        platform::showMessage(loaded.error());
        return;
    }
    const masterfile::DrugRecord& r = loaded->record;
    form_.edit(1)->setText(platform::toUnicode(name));
    form_.edit(2)->setText(platform::toUnicode(r.displayName));
    form_.edit(3)->setText(platform::toUnicode(r.unit));
    form_.edit(4)->setText(platform::toUnicode(r.shapeCode));
    form_.edit(5)->setText(platform::toUnicode(r.package));
    form_.memo1()->setPlainText(platform::toUnicode(r.efficacy));
    form_.memo2()->setPlainText(platform::toUnicode(r.caution));
    form_.edit(6)->setText(platform::toUnicode(r.imageFile));
    editedRecordIndex_ = loaded->recordIndex;
    form_.button52()->setEnabled(editor_.pending());
}

std::array<QString, masterfile::kFieldCount> DrugEditCommands::fieldTexts() const {
    return {
        form_.edit(1)->text(),        form_.edit(2)->text(), form_.edit(3)->text(),
        form_.edit(4)->text(),        form_.edit(5)->text(), form_.memo1()->toPlainText(),
        form_.memo2()->toPlainText(), form_.edit(6)->text(),
    };
}

void DrugEditCommands::finish() {
    if (!editor_.pending()) return;
    const std::array<QString, masterfile::kFieldCount> texts = fieldTexts();
    const int index = editor_.editedRecordIndex();
    const std::string oldName = editor_.pendingName();
    // A refusal leaves the user's texts on screen to be corrected.
    const Result<masterfile::DrugRecord> saved = editor_.finish(texts);
    if (!saved) {
        platform::showMessage(saved.error());
        return;
    }
    form_.button52()->setEnabled(editor_.pending());
    if (saved->registeredName != oldName) form_.renameMasterEntry(index, oldName, saved->registeredName);
}

}  // namespace dorimek::mainwin
