#pragma once

#include "masterfile/DrugMasterFile.h"
#include "masterfile/MasterRewrite.h"
#include "platform/Result.h"

#include <QString>

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace dorimek::mainwin {

// What "個別編集" loaded: the record and its 0-based line in yakujo.txt
// (EditedRecordIndex).
struct LoadedDrug {
    masterfile::DrugRecord record;
    int recordIndex = 0;
};

// Edits one record of the drug master file in place ("個別編集" / "編集終了").
// Widget-free: the main window moves the texts between its edit fields and
// this class, and enables "編集終了" while pending() is true.
class DrugRecordEditor {
  public:
    // The labels of the eight fields in file order, as the window shows them.
    static const std::array<QString, masterfile::kFieldCount>& fieldLabels();

    explicit DrugRecordEditor(QString masterPath = masterfile::kMasterFileName);

    // "個別編集": finds the prescription line's own record, the way the sheet
    // prints it: record recordNumber while it still carries lineText as its
    // RegisteredName, else the first record that does (recordNumber -1 asks
    // for the first one outright). Many records share a name (names cut at a
    // fixed length), so the number decides which of them the user chose. On
    // success the record becomes the pending one. On failure (no such record,
    // a record too long for the edit fields, file unreadable) nothing pending
    // changes and the error says why; the window then leaves its fields as
    // they are.
    Result<LoadedDrug> load(std::string_view lineText, int recordNumber = -1);

    bool pending() const { return pending_.has_value(); }
    int editedRecordIndex() const { return pending_ ? pending_->index : -1; }
    // The RegisteredName the pending record was loaded by; empty when none.
    std::string pendingName() const { return pending_ ? pending_->name : std::string(); }

    // True while a record is pending and the window's texts differ from it:
    // closing then would lose what the user typed.
    bool isEdited(const std::array<QString, masterfile::kFieldCount>& texts) const;

    // "編集終了": writes record over the pending one. Only a success ends the
    // pending state; after a refusal the user can correct the fields and try
    // again. Fails when nothing is pending. A field equal to the loaded one
    // (or shown as the same text) keeps its stored bytes and isn't checked.
    Status finish(const masterfile::DrugRecord& record);
    // The same from the window's texts (Edit1..Edit5, Memo1, Memo2, Edit6):
    // only the fields whose text differs from what was loaded are checked and
    // encoded, so a code with no character or a stray CR the user never
    // touched doesn't block the save. Gives the record written.
    Result<masterfile::DrugRecord> finish(const std::array<QString, masterfile::kFieldCount>& texts);

    // The grid editor saved the file: the pending record follows its row to
    // its new number, or, when its row was deleted, can no longer be saved.
    void followRewrite(const masterfile::MasterRewrite& rewrite);

    // Replaces line recordIndex of the master file with record, keeping every
    // other line byte for byte, as long as that line still carries loadedName
    // and, when expectedLine is given, still holds exactly those bytes.
    // Writes nothing when it refuses or fails.
    static Status save(int recordIndex, std::string_view loadedName,
                       const masterfile::DrugRecord& record,
                       const QString& masterPath = masterfile::kMasterFileName,
                       masterfile::FieldMask asRead = {},
                       const std::optional<std::string>& expectedLine = std::nullopt);

    // Empty when record keeps the file's format; else a message naming the
    // first changed field that would break it.
    static QString checkRecord(const masterfile::DrugRecord& record,
                               masterfile::FieldMask asRead = {});

    // The window's texts (Edit1..Edit5, Memo1, Memo2, Edit6) as a record:
    // fails, naming the field, for text that can't be stored (a comma, a line
    // break, a character code page 932 can't hold, an empty 登録名).
    static Result<masterfile::DrugRecord> recordFromTexts(
        const std::array<QString, masterfile::kFieldCount>& texts);

    // A record as the editor shows it: the eighth field holds everything after
    // the seventh comma, so a line with surplus commas is shown whole and the
    // user can repair it (a save refuses the commas until then).
    static masterfile::DrugRecord recordForEditing(std::string_view line);

  private:
    struct Pending {
        int index;
        std::string name;
        masterfile::DrugRecord loaded;  // the fields as stored, for unedited ones
        std::string line;               // the record's line as it stands in the file
    };
    Status write(const masterfile::DrugRecord& record, masterfile::FieldMask asRead);
    QString path_;
    std::optional<Pending> pending_;
};

}  // namespace dorimek::mainwin
