#pragma once

#include "SettingsFile.h"
#include "platform/FileStamp.h"

#include <QString>

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

  private:
    void applyStoredSettings(const StoredSettings& stored);
    void setUpPrinterList();
    void choosePrinterAtStart(const std::optional<std::string>& indexText);
    int selectedPrinterEntry() const;
    // Writes v unless another window saved the file since this one read or
    // wrote it; then asks before writing over that. False when nothing was
    // written (the user has been told, or chose not to).
    bool writeAsking(const SettingsToWrite& v);
    bool hostStarted() const;
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
};

}  // namespace dorimek::mainwin
