#pragma once

#include "AutoRunOutcome.h"
#include "AutoStart.h"
#include "DrugEditCommands.h"
#include "MasterListBox.h"
#include "prescription/PrescriptionSource.h"
#include "prescription/PrescriptionState.h"
#include "SettingsCommands.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <map>
#include <string>
#include <string_view>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSessionManager;

namespace dorimek::masterfile {
class TForm2;
}
namespace dorimek::preview {
class TForm6;
}
namespace dorimek::sheets {
class TForm1;
}

namespace dorimek::mainwin {

struct ImportReport;

// The main window. Creating it runs FormCreate: the program's folder becomes
// the current directory, the master list is loaded from yakujo.txt, the
// settings are read and the printer is set up, and with the first argument
// "auto" the automatic start runs. The sheets and the on-screen preview read
// the prescription through PrescriptionSource and the settings read at start
// through the accessors below.
class TForm3 : public QWidget, public prescription::PrescriptionSource {
    Q_OBJECT
  public:
    // arguments as the process got them (argument 0 is the program);
    // programFolder with its trailing separator.
    TForm3(QStringList arguments, QString programFolder, QWidget* parent = nullptr);
    ~TForm3() override;

    // The current instance, through which the other windows reach this one.
    static TForm3* instance();

    // PrescriptionSource
    const prescription::PrescriptionState& prescription() const override { return prescription_; }
    std::string usageText(int n) const override;

    // For code that changes the state itself (the import): call
    // syncPrescriptionList() afterwards so ListBox2 shows the state again.
    prescription::PrescriptionState& prescriptionState() { return prescription_; }
    void syncPrescriptionList();

    // The operations the import performs on the prescription; ListBox2 is
    // kept in step with the state.
    prescription::AppendResult appendKnownLine(std::string_view sjisText, int masterIndex);
    prescription::AppendResult appendUnknownLine(std::string_view sjisText);
    void clearUnknownDrugNames() { prescription_.clearUnknownNames(); }
    // Sets the usage of position n (1..24) and shows it in its box when in view.
    void setUsageText(int n, std::string_view sjisText);
    // The position (1..25) usage box `box` (1..11) stands beside: the line
    // shown there as ListBox2 is scrolled now, or past the last line the
    // position the next line appended will take.
    int usageBoxLine(int box) const;
    // The items every usage box offers, replacing the ones it had.
    void setUsageItems(const QStringList& items);

    // MasterList as Shift-JIS bytes: entry i is record i of yakujo.txt. The
    // bytes, not the shown texts, are what lookups compare.
    const masterfile::MasterNames& masterList() const { return masterList_; }
    // Record index was renamed in place by per-drug editing: its entry and
    // the lines standing for it take the new name. Nothing happens when the
    // entry no longer carries oldName.
    void renameMasterEntry(int index, const std::string& oldName, const std::string& newName);
    // Rebuilds ListBox1 (after the master file editor has saved).
    void setMasterList(masterfile::MasterNames names);
    // Binds the prescription's lines to the records that carry their drugs in
    // the master list now, following each record through the rewrite when
    // one is given; tells the user about lines whose drug is gone.
    void rebindPrescription(const masterfile::MasterRewrite* rewrite = nullptr);
    bool masterFileLoaded() const { return masterFileLoaded_; }

    // The settings as read at start; the edit fields may differ from them.
    int printerIndex() const { return settings_.printerIndex(); }
    const std::string& qevWorkPath() const { return settings_.qevWorkPath(); }
    const std::string& clinicName() const { return settings_.clinicName(); }
    const std::string& clinicTel() const { return settings_.clinicTel(); }
    const std::string& usageLine() const { return settings_.usageLine(); }
    bool previewOnAutoStart() const { return settings_.previewOnAutoStart(); }
    const QString& defaultPrinterName() const { return settings_.defaultPrinterName(); }
    const SettingsCommands& settings() const { return settings_; }
    prescription::SheetSettings sheetSettings() const {
        return {settings_.printerIndex(), settings_.clinicName(), settings_.clinicTel(),
                AutoStart::isAutoArgument(argument(1))};
    }

    bool useScreenPreview() const { return useScreenPreview_; }
    void setUseScreenPreview(bool on) { useScreenPreview_ = on; }
    // 1, 2 or 3 from the checked radio button; 1 when none is checked.
    int printStyle() const;

    const QString& programFolder() const { return programFolder_; }
    const QStringList& arguments() const { return arguments_; }
    // Argument n (1-based, as the host system counts them); empty when absent.
    QString argument(int n) const;

    int editedRecordIndex() const { return drugEdit_.editedRecordIndex(); }
    void setEditedRecordIndex(int index) { drugEdit_.setEditedRecordIndex(index); }

    // Controls, by the designer's numbers.
    MasterListBox* listBox1() const { return listBox1_; }
    QListWidget* listBox2() const { return listBox2_; }
    QListWidget* listBox3() const { return listBox3_; }
    QComboBox* comboBox(int n) const;        // 1..11, the boxes (not the lines) by number
    QRadioButton* radioButton(int n) const;  // 1..3
    QCheckBox* checkBox1() const { return checkBox1_; }
    QLineEdit* edit(int n) const;  // 1..9
    QPlainTextEdit* memo1() const { return memo1_; }
    QPlainTextEdit* memo2() const { return memo2_; }
    QPushButton* button(int n) const;  // 1..56; nullptr for numbers not on the form
    QPushButton* button52() const { return button(52); }
    // The index of the entry at the top of ListBox1.
    int listBox1TopIndex() const;

    // Scrolls ListBox1 so that the first entry beginning with code is on top.
    void ScrollToKana(unsigned char code);

    // The current sheet form of a print style (1..3), created when there is
    // none yet.
    sheets::TForm1* sheetForStyle(int style);
    // Prints the sheet of the style checked at this moment; a failure has
    // been told to the user by the report. Without a prescription line it
    // says there is nothing to print and sends nothing.
    void printSheet();
    // True when the usage boxes of the prescription's lines hold only text
    // the sheet can print; else tells the user the first character that
    // can't be, so that nothing is printed as garbage.
    bool checkUsagesPrintable();
    // Opens a new on-screen preview of the prescription beside this window;
    // it is owned by this window and stays alive, closed or not.
    preview::TForm6* openScreenPreview();
    // What the previews say of the printed sheet on the chosen printer: its
    // reduction to the printable area, or empty when it prints as laid out.
    QString printedFitNotice();

    // "処方取込": imports rp.csv from the work folder read at start and shows
    // what the import has to say.
    ImportReport importPrescription();

    // Opens a new master file editor beside this window (freed when closed).
    masterfile::TForm2* openGridEditor();

    // What closing now would lose, one line per window or field set; empty
    // when nothing is unsaved.
    QStringList unsavedWork();
    // Keeps the open grid editors' unsaved rows in the recovery file beside
    // yakujo.txt, for when nobody can be asked; false when it couldn't.
    bool keepUnsavedGrids();
    // The program must end now and nobody can answer (a termination signal):
    // the grid edits are kept for the next start, nothing else waits.
    void endUnasked();
    // The session is ending. With a user to ask: true when the program may
    // end (nothing unsaved, or the user chose to drop it); false keeps the
    // session from ending. Without one: keeps the grid edits, then true.
    bool answerSessionEnd(bool mayAsk);
    // Offers the grid edits a run ended without saving: back into a grid
    // editor, or thrown away. Once per window; posted by FormCreate.
    void offerUnsavedGrids();

    // The automatic start, run at the end of FormCreate when argument 1 is
    // "auto". Ends by requestTermination().
    void runAutoStart();
    // Asks the application to end as soon as its event loop runs; start-up
    // then shows no window (see terminationRequested()).
    void requestTermination();
    bool terminationRequested() const { return terminationRequested_; }
    // What a host-started run tells the host as its exit status. The first
    // failure noted is the run's cause; later ones don't replace it.
    void noteAutoRunOutcome(AutoRunOutcome outcome) {
        if (autoRunOutcome_ == AutoRunOutcome::Done) autoRunOutcome_ = outcome;
    }
    AutoRunOutcome autoRunOutcome() const { return autoRunOutcome_; }

  public slots:
    void Button47Click();
    void Button48Click();
    void Button49Click();
    void ListBox1Click();
    void ListBox2DblClick();
    void Button38Click();
    void Button40Click();
    void Button50Click();
    void Button51Click();
    void Button52Click();
    void Button53Click();
    void Button54Click();
    void Button55Click();
    void Button56Click();
    // QGuiApplication::commitDataRequest.
    void commitSessionData(QSessionManager& manager);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    void buildKanaButtons();
    void buildUsageBoxes();
    void connectHandlers();
    void FormCreate();
    // Asks, when something is unsaved, whether to end without it; true when
    // closing may go on. Brings the first unsaved editor forward on "no".
    bool mayDropUnsaved();
    // Closes the grid editors without asking again, after the user answered.
    void approveClose();
    QList<masterfile::TForm2*> gridEditors() const;
    void scrollListBox1To(int index);
    void addPrescriptionItem(std::string_view sjisText);
    // The usage boxes are views: each shows the usage of the position beside
    // it, and what is typed or chosen in it is that position's usage.
    void showUsages();
    void usageBoxEdited(int box, const QString& text);

    QStringList arguments_;
    QString programFolder_;

    // Window data, as the rest of the system knows it.
    bool useScreenPreview_ = false;
    prescription::PrescriptionState prescription_;
    SettingsCommands settings_{*this};
    DrugEditCommands drugEdit_{*this};
    bool terminationRequested_ = false;
    // Set once the user has chosen to end with what is unsaved (or nothing
    // was), so that no later step of the same ending asks again.
    bool closeApproved_ = false;
    // This run wrote the recovery file: an ordinary end afterwards, with
    // the user's own answer, takes it away again.
    bool keptUnsaved_ = false;
    bool unsavedOffered_ = false;
    // The program is ending with nobody to answer: what was kept stays kept.
    bool endingUnasked_ = false;
    AutoRunOutcome autoRunOutcome_ = AutoRunOutcome::Done;
    masterfile::MasterNames masterList_;
    // Counts the master lists this window has held: a grid editor's record
    // numbers are this window's only if no other list came between.
    int masterListGeneration_ = 0;
    bool masterFileLoaded_ = false;

    // Set while showUsages() writes the boxes, so that it isn't taken for typing.
    bool showingUsages_ = false;

    MasterListBox* listBox1_ = nullptr;
    QListWidget* listBox2_ = nullptr;
    QListWidget* listBox3_ = nullptr;
    QCheckBox* checkBox1_ = nullptr;
    QPlainTextEdit* memo1_ = nullptr;
    QPlainTextEdit* memo2_ = nullptr;
    std::map<int, QPushButton*> buttons_;
    std::map<int, QLineEdit*> edits_;
    std::map<int, QComboBox*> comboBoxes_;
    std::map<int, QRadioButton*> radioButtons_;
};

}  // namespace dorimek::mainwin
