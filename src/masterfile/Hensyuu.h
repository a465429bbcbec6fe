#pragma once

#include "masterfile/DrugMasterFile.h"
#include "masterfile/GridRecovery.h"
#include "masterfile/GridRows.h"
#include "masterfile/MasterRewrite.h"
#include "platform/FileStamp.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QCloseEvent;
class QPushButton;
class QTableWidget;

namespace dorimek::masterfile {


// The master file editor: the whole of yakujo.txt as a grid, one row per
// drug. Opened anew by every "ﾌｧｲﾙ編集"; several may be open at once, each
// with the copy it loaded, and the last save wins.
class TForm2 : public QWidget {
    Q_OBJECT

  public:
    // Receives, after a successful save, the records now in the file and
    // where each came from, to rebuild the main window's master list and let
    // the prescription follow its records.
    using RebuildMasterList = std::function<void(const MasterRewrite&)>;

    // Loads the file at once. With a parent the editor is still a window of
    // its own; the parent only keeps it alive until the program ends.
    explicit TForm2(RebuildMasterList rebuildMasterList, QWidget* parent = nullptr,
                    const QString& path = kMasterFileName);
    ~TForm2() override;

    // The editor opened last (null once it has been destroyed).
    static TForm2* current();

    // True while the grid differs from what it showed after loading (a cell
    // being typed in counts).
    bool hasUnsavedEdits();
    // The rows as they stand, for the recovery file.
    UnsavedGrid unsavedGrid();
    // Puts rows kept by an earlier run into this freshly loaded editor. They
    // stay unsaved until the user saves; when the file has changed since
    // they were kept, a save asks first, as for any change in between.
    void restoreUnsaved(const UnsavedGrid& grid);
    // Closes without asking: the user has already chosen to drop the edits.
    void discardAndClose();

    QTableWidget* StringGrid1 = nullptr;
    QPushButton* Button1 = nullptr;  // 行挿入
    QPushButton* Button2 = nullptr;  // 行削除
    QPushButton* Button3 = nullptr;  // 保存して終了
    QPushButton* Button4 = nullptr;  // 中止

  public slots:
    void FormCreate();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();

  protected:
    // Every way of closing but "保存して終了" and "中止" (the title bar's
    // button, the window manager) asks before unsaved edits are lost.
    void closeEvent(QCloseEvent* event) override;

  private:
    // Escape: "中止", but edits the grid holds are not thrown away without
    // asking, since the key is easily hit by mistake.
    void abandonAfterAsking();
    // The text of a cell being edited goes into the grid, as a click
    // elsewhere would put it.
    void commitOpenEditor();
    void buildControls();
    // Reads the file into the grid and remembers what it held.
    void load();
    // The file changed since the grid loaded it: true when the user chooses
    // to write over that, with expected set to what the file holds now (or
    // nullopt when it can't be stamped). Reloads the grid when the user
    // chooses that instead (and answers false).
    bool overwriteAfterAsking(const GridRows& rows, std::optional<platform::FileStamp>& expected);
    int currentRow() const;
    GridRows gridRows() const;
    void showRows(const GridRows& rows);
    void focusCell(int row, int column);

    RebuildMasterList rebuildMasterList_;
    QString path_;
    bool loadFailed_ = false;
    // The records as loaded, and for every grid row the record it was
    // loaded from (-1 for an inserted or empty row), kept in step with the
    // inserts and deletes.
    std::vector<DrugRecord> loaded_;
    std::vector<int> origins_;
    // What the file held just before the grid read it. Taken first, so that
    // a write landing between the two shows as a change, never the other way.
    std::optional<platform::FileStamp> loadedStamp_;
    // The grid as it was shown after loading: an edit is unsaved while the
    // grid differs from it.
    GridRows shownRows_;
    // False for rows restored from a recovery file written against a file
    // that has changed since: their record numbers then mean nothing here.
    bool originsKnown_ = true;
    // Set once the user has chosen how this window ends (saved, "中止", or
    // answered the question), so closing doesn't ask again.
    bool closeApproved_ = false;

    static QPointer<TForm2> current_;
};

}  // namespace dorimek::masterfile
