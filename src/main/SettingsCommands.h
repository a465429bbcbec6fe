#pragma once

#include "SettingsFile.h"
#include "platform/FileStamp.h"

#include <QString>

#include <array>
#include <optional>
#include <string>

namespace dorimek::mainwin {

class TForm3;

// The settings of the main window and the printer they choose: reading
// sorbenk.ini and choosing the printer at start, "設定保存" and
// "プリンタ設定". Holds the settings as read at start, which the rest of the
// program uses; the window's edit fields may differ from them until the next
// start.
class SettingsCommands {
  public:
    explicit SettingsCommands(TForm3& form) : form_(form) {}

    // Reads the settings into the window's fields and controls, lists the
    // printers and chooses the one to print on. Runs also without a settings
    // file.
    void readAtStart();
    // "設定保存".
    void save();
    // "プリンタ設定".
    void setUpPrinter();

    int printerIndex() const { return printerIndex_; }
    const std::string& qevWorkPath() const { return qevWorkPath_; }
    const std::string& clinicName() const { return clinicName_; }
    const std::string& clinicTel() const { return clinicTel_; }
    const std::string& usageLine() const { return usageLine_; }
    bool previewOnAutoStart() const { return previewOnAutoStart_; }
    const QString& defaultPrinterName() const { return defaultPrinterName_; }

    // In a run started by the host: why the printer read at start is not the
    // one the settings or the host asked for (a number naming no printer, a
    // stored queue gone, a third argument that is no number, no default
    // printer where it is meant, no spooler), with its kind; such a run
    // prints nowhere else and says so itself. Succeeds when there is none.
    const Status& printerTrouble() const { return printerTrouble_; }
    // The printer as the run's log names it: the queue in use, or what was
    // asked for when that isn't there.
    QString printerForLog() const;

  private:
    void applyStoredSettings(const StoredSettings& stored);
    // Names a work folder that can't work here, and adds a missing final
    // separator to the one in use.
    void checkWorkFolderAtStart();
    // What "設定保存" writes for the text fields, or false after telling
    // the user why nothing can be written.
    bool collectTextFields(SettingsToWrite& v) const;
    void setUpPrinterList();
    void choosePrinterAtStart(const std::optional<std::string>& indexText);
    int selectedPrinterEntry() const;
    // Writes v unless another window saved the file since this one read or
    // wrote it; then asks before writing over that. False when nothing was
    // written (the user has been told, or chose not to).
    bool writeAsking(const SettingsToWrite& v);
    bool hostStarted() const;
    // Tells the window's user, who gets the default printer instead, or keeps
    // it for the host-started run to report.
    void printerNotAsked(const QString& why, const QString& askedFor);
    // Says which paper the sheet would come out on when printer has no JIS B5.
    static void tellIfNotJisB5(const QString& printer);

    TForm3& form_;
    QString defaultPrinterName_;
    QString noDefaultPrinter_;  // why there is no default printer, until told
    bool previewOnAutoStart_ = false;
    int printerIndex_ = -1;
    std::string qevWorkPath_;
    std::string clinicName_;
    std::string clinicTel_;
    std::string usageLine_;
    // What sorbenk.ini held when this window read it, or last wrote it;
    // nullopt when it couldn't be read to its end.
    std::optional<platform::FileStamp> readStamp_;
    // Lines 1 and 2 as read, for "設定保存" while printing is unavailable:
    // with no list to choose from, the stored choice is kept, not lost.
    std::optional<std::string> storedPrinterIndexText_;
    std::string storedPrinterName_;
    Status printerTrouble_;
    QString printerAskedFor_;

    // The text fields Edit7 to Edit9: what start-up showed in each, and what
    // a save writes while the user hasn't changed it. That is the value read
    // (readValue), or else the file's own bytes for a value set aside, or
    // else nothing: never a text the program put there itself.
    struct TextField {
        int edit;
        const char* label;
        QString shownAtStart;
        bool readValue = false;
        std::optional<std::string> fileBytes;
    };
    std::array<TextField, 3> textFields_{{{7, "QEVワークパス", {}, false, {}},
                                          {8, "医院名", {}, false, {}},
                                          {9, "電話", {}, false, {}}}};
};

}  // namespace dorimek::mainwin
