#pragma once

#include "platform/FileStamp.h"
#include "platform/Result.h"

#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dorimek::mainwin {

// A text setting that a file saved as UTF-8 holds with a character Shift-JIS
// has no code for: it can't be shown or printed, so it isn't used, and
// "設定保存" writes it back as the file held it until the user enters another.
// A value that only the file as a whole showed to be UTF-8 (no character of
// three bytes or more) would read as half-width kana once the file around it
// is Shift-JIS again, so that one is not kept: 設定保存 leaves it out.
struct SetAsideValue {
    int line = 0;            // 2 to 5, or 8 for a usage entry
    QString label;           // as the window names it
    QString text;            // the value as the file holds it
    QString unencodable;     // its first character Shift-JIS can't hold
    std::string fileBytes;   // what 設定保存 writes back for it (empty when not kept)
    bool keptOnSave = true;
};

// What sorbenk.ini holds, as read. A setting whose line is missing (the file
// ends early, or the line lacks its "=") is nullopt and leaves the window's
// design-time state alone. Texts are Shift-JIS bytes, whatever the file was
// saved as: a byte-order mark is skipped, and a file saved as UTF-8 (as newer
// Notepads do) is converted.
struct StoredSettings {
    std::optional<std::string> printerIndexText;  // line 1, at most 7 characters
    // Line 2: the queue the index stood for when it was saved, so that start-up
    // can tell when the index has come to mean another queue.
    std::optional<std::string> printerName;
    std::optional<std::string> qevWorkPath;       // line 3
    std::optional<std::string> clinicName;        // line 4
    std::optional<std::string> clinicTel;         // line 5
    std::optional<bool> previewOnAutoStart;       // line 6
    std::optional<int> printStyle;                // line 7, only 1, 2 or 3
    // Line 8 when it is a usage line (without its line end), else empty; the
    // program never builds it, it only passes it through.
    std::string usageLine;
    std::vector<std::string> usageList;  // meaningful only when usageLine isn't empty
    // Lines 2 to 5 and usage entries that couldn't be carried over; a value
    // of lines 2 to 5 here is nullopt above. When a usage entry is set aside
    // the usage line stays as the file held it, for writing back, or, when it
    // wouldn't read as UTF-8 on its own, is the line of the entries kept.
    std::vector<SetAsideValue> setAside;
};

// What "設定保存" writes.
struct SettingsToWrite {
    int printerIndex = -1;
    std::string printerName;
    std::string qevWorkPath;
    std::string clinicName;
    std::string clinicTel;
    bool previewOnAutoStart = false;
    int printStyle = 3;  // 1, 2 or 3
    std::string usageLine;
};

// The settings file: eight positional lines. The reader never looks at the
// keys of lines 1 to 5, only at what follows their first "=".
class SettingsFile {
  public:
    static inline const QString kFileName = QStringLiteral("sorbenk.ini");
    static constexpr int kIndexTextChars = 7;

    // Fails when the file can't be opened or read (the fixed text for a
    // missing file); the error is what the user is told. Any line end reads
    // (CR LF, LF, or the lone CR of old Macs).
    static Result<StoredSettings> read(const QString& path = kFileName);
    // The same from lines already split (without line ends), as Shift-JIS;
    // with fromUtf8, values that are UTF-8 are converted or set aside.
    static StoredSettings parse(const std::vector<std::string>& lines, bool fromUtf8 = false);

    // True when a value on its own reads as UTF-8 rather than Shift-JIS: a
    // setting set aside goes back into a file saved as Shift-JIS since, and
    // must read as what it is there too.
    static bool readsAsUtf8(std::string_view value);

    // What start-up tells about values set aside; empty when there are none.
    static QString setAsideMessage(const std::vector<SetAsideValue>& values);

    // The text after the line's first "=" up to the first CR or LF; nullopt
    // when the line has no "=".
    static std::optional<std::string> valueAfterEquals(std::string_view line);
    // The one character of lines 6 and 7: the one after the first "=" among
    // the first six bytes, or the seventh byte when there is no "=" there.
    // nullopt when the line ends before that character.
    static std::optional<char> flagCharacter(std::string_view line);
    // The entries of a usage line; nullopt when the line isn't one (no "=" in
    // its first six bytes).
    static std::optional<std::vector<std::string>> parseUsageLine(std::string_view line);

    // The file's bytes, CR LF after each line; seven lines when there is no
    // usage line.
    static std::string format(const SettingsToWrite& values);
    // Replaces the file whole; on failure the old file stays as it was and
    // the error is the message for the user. Texts holding a line break are
    // refused before anything is written. Writes under the file's lock; with
    // expected (the stamp of the file as read) only while the file still
    // holds that, else fails with ErrorKind::FileChanged for the caller to
    // ask. ErrorKind::FileBusy: another window's save kept the lock.
    static Status write(const SettingsToWrite& values, const QString& path = kFileName,
                        const std::optional<platform::FileStamp>& expected = std::nullopt);

    // An edit field's text as Shift-JIS for the file, or the message that
    // refuses it (a line break, or a character code page 932 can't hold).
    static Result<std::string> encodeField(const QString& text, const QString& label);
};

}  // namespace dorimek::mainwin
