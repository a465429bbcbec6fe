#pragma once

#include "DrugRecordEditor.h"

namespace dorimek::masterfile {
struct MasterRewrite;
}

namespace dorimek::mainwin {

class TForm3;

// Per-drug editing on the main window: "個別編集" loads the selected line's
// drug record into the record fields, "編集終了" writes the fields back.
class DrugEditCommands {
  public:
    explicit DrugEditCommands(TForm3& form) : form_(form) {}

    // "個別編集".
    void loadSelectedLine();
    // "編集終了".
    void finish();
    // True while the record fields hold changes "編集終了" hasn't written.
    bool hasUnsavedEdits() const { return editor_.isEdited(fieldTexts()); }
    // The grid editor saved the file: the record under edit follows its row.
    void followRewrite(const masterfile::MasterRewrite& rewrite) { editor_.followRewrite(rewrite); }

    // EditedRecordIndex: the record number loaded last, -1 before any.
    int editedRecordIndex() const { return editedRecordIndex_; }
    void setEditedRecordIndex(int index) { editedRecordIndex_ = index; }

  private:
    // Edit1..Edit5, Memo1, Memo2, Edit6: the record's fields in file order.
    std::array<QString, masterfile::kFieldCount> fieldTexts() const;

    TForm3& form_;
    DrugRecordEditor editor_;
    int editedRecordIndex_ = -1;
};

}  // namespace dorimek::mainwin
