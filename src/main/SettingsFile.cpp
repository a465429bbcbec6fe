#include "SettingsFile.h"

#include <algorithm>

#include "MainMessages.h"
#include "platform/AtomicFile.h"
#include "platform/FileLock.h"
#include "platform/LineReader.h"
#include "platform/Sjis.h"
#include "platform/TextEncoding.h"

namespace dorimek::mainwin {
namespace {

constexpr size_t kKeySearchBytes = 6;  // "=" is looked for among the first six bytes

std::optional<size_t> equalsInKey(std::string_view line) {
    const size_t limit = std::min(line.size(), kKeySearchBytes);
    for (size_t i = 0; i < limit; ++i) {
        if (line[i] == '=') return i;
    }
    return std::nullopt;
}

bool holdsLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// A value in UTF-8: this value shows it on its own, or all the file is.
bool isUtf8Value(std::string_view value, bool fileIsUtf8) {
    bool multiByte = false;
    if (!platform::isValidUtf8(value, &multiByte) || !multiByte) return false;
    return fileIsUtf8 || SettingsFile::readsAsUtf8(value);
}

// The value as Shift-JIS, or nullopt when it holds a character Shift-JIS
// can't; that value alone is then set aside.
std::optional<std::string> carryOver(std::string_view value, bool fileIsUtf8, int line,
                                     const char* label, std::vector<SetAsideValue>& setAside) {
    if (!isUtf8Value(value, fileIsUtf8)) return std::string(value);
    const QString text = QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
    if (const QString bad = platform::firstUnencodable(text); !bad.isEmpty()) {
        const bool kept = SettingsFile::readsAsUtf8(value);
        setAside.push_back({line, QString::fromUtf8(label), text, bad,
                            kept ? std::string(value) : std::string(), kept});
        return std::nullopt;
    }
    return platform::fromUnicode(text);
}

// Lines of a file saved with the lone CR line ends of old Macs arrive as one
// line; a settings file is short and positional, so it is split here rather
// than refused. A CR inside a file with line feeds (CR CR LF debris) stays.
std::vector<std::string> splitLoneCrLines(std::vector<std::string> lines) {
    if (lines.size() != 1 || lines.front().find('\r') == std::string::npos) return lines;
    std::vector<std::string> split;
    std::string_view rest = lines.front();
    while (!rest.empty()) {
        const size_t cr = rest.find('\r');
        split.emplace_back(rest.substr(0, cr));
        rest = cr == std::string_view::npos ? std::string_view() : rest.substr(cr + 1);
    }
    return split;
}

// The usage line of the given entries under the key of a line read; a key
// Shift-JIS can't hold is left out (the reader never looks at it).
std::string usageLineOf(std::string_view read, const std::vector<std::string>& entries) {
    const size_t eq = read.find('=');
    std::string key(read.substr(0, eq));
    if (!platform::firstUnencodable(QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())))
             .isEmpty() ||
        !platform::isValidUtf8(key)) {
        key.clear();
    } else {
        key = platform::fromUnicode(QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())));
    }
    std::string line = key + "=";
    for (const std::string& e : entries) line += e + ",";
    return line;
}

void appendLine(std::string& out, std::string_view key, std::string_view value) {
    out.append(key);
    out.push_back('=');
    out.append(value);
    out.append("\r\n");
}

}  // namespace

std::optional<std::string> SettingsFile::valueAfterEquals(std::string_view line) {
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    std::string_view value = line.substr(eq + 1);
    const size_t end = value.find_first_of("\r\n");
    if (end != std::string_view::npos) value = value.substr(0, end);
    return std::string(value);
}

std::optional<char> SettingsFile::flagCharacter(std::string_view line) {
    const auto eq = equalsInKey(line);
    const size_t at = eq ? *eq + 1 : kKeySearchBytes;
    if (at >= line.size()) return std::nullopt;
    return line[at];
}

std::optional<std::vector<std::string>> SettingsFile::parseUsageLine(std::string_view line) {
    const auto eq = equalsInKey(line);
    if (!eq) return std::nullopt;

    // Line ends are never part of an entry; the text after the last "," is
    // dropped anyway, so cutting them off changes no entry.
    const size_t end = std::min(line.find_first_of("\r\n"), line.size());
    size_t pos = *eq + 1;
    while (pos < end && (line[pos] == '=' || line[pos] == '@')) ++pos;

    std::vector<std::string> entries;
    bool first = true;
    while (pos < end) {
        const size_t start = pos;
        // An entry's first character is its own even when it is a ",", except
        // for the first entry, which a "," right after the key's run ends.
        const size_t searchFrom = first ? pos : pos + 1;
        const size_t comma = line.find(',', searchFrom);
        if (comma == std::string_view::npos || comma >= end) break;
        entries.emplace_back(line.substr(start, comma - start));
        pos = comma + 1;
        if (pos < end && line[pos] == '@') ++pos;
        first = false;
    }
    return entries;
}

StoredSettings SettingsFile::parse(const std::vector<std::string>& lines, bool fromUtf8) {
    StoredSettings s;
    auto line = [&](size_t n) -> const std::string* {  // 1-based
        return n <= lines.size() ? &lines[n - 1] : nullptr;
    };
    auto text = [&](int n, const char* label) -> std::optional<std::string> {
        const auto* l = line(static_cast<size_t>(n));
        if (!l) return std::nullopt;
        const auto value = valueAfterEquals(*l);
        if (!value) return std::nullopt;
        return carryOver(*value, fromUtf8, n, label, s.setAside);
    };
    if (const auto* l = line(1)) {
        if (auto v = valueAfterEquals(*l)) {
            if (v->size() > static_cast<size_t>(kIndexTextChars)) v->resize(kIndexTextChars);
            s.printerIndexText = std::move(*v);
        }
    }
    s.printerName = text(2, "プリンタ");
    s.qevWorkPath = text(3, "QEVワークパス");
    s.clinicName = text(4, "医院名");
    s.clinicTel = text(5, "電話");
    if (const auto* l = line(6)) s.previewOnAutoStart = flagCharacter(*l) == '1';
    if (const auto* l = line(7)) {
        const auto c = flagCharacter(*l);
        if (c && *c >= '1' && *c <= '3') s.printStyle = *c - '0';
    }
    if (const auto* l = line(8)) {
        // The line's own bytes ("=", "@", ",") are ASCII, which UTF-8 never
        // uses inside a character: the entries split alike in either form.
        if (auto entries = parseUsageLine(*l)) {
            s.usageLine = *l;
            const auto whole = carryOver(*l, fromUtf8, 8, "用法", s.setAside);
            if (whole) {
                s.usageLine = *whole;
                s.usageList = *parseUsageLine(*whole);
            } else {
                // Only the entries that can't be carried over are left out;
                // the line goes back to the file as it was when it will read
                // as UTF-8 there, else as the line of the entries kept.
                const bool kept = s.setAside.back().keptOnSave;
                s.setAside.pop_back();
                std::vector<std::string> carried;
                for (const std::string& entry : *entries) {
                    if (auto e = carryOver(entry, true, 8, "用法", s.setAside))
                        carried.push_back(*e);
                }
                if (kept) {
                    s.usageList = std::move(carried);
                } else {
                    for (SetAsideValue& v : s.setAside) {
                        if (v.line == 8) v.keptOnSave = false, v.fileBytes.clear();
                    }
                    s.usageLine = usageLineOf(*l, carried);
                    // Read back from the line itself, so that what is listed
                    // now is what the saved file will list.
                    s.usageList = *parseUsageLine(s.usageLine);
                }
            }
        }
    }
    return s;
}

QString SettingsFile::setAsideMessage(const std::vector<SetAsideValue>& values) {
    if (values.empty()) return {};
    QString text = QStringLiteral(
        "sorbenk.ini の次の設定には Shift-JIS にない文字があるため、読み込みませんでした"
        "（ファイルの値はそのまま残します）:");
    for (const SetAsideValue& v : values) {
        text += QStringLiteral("\n  %1「%2」の「%3」").arg(v.label, v.text, v.unencodable);
        if (!v.keptOnSave) text += QStringLiteral("（設定保存でファイルから除きます）");
    }
    text += QStringLiteral("\n使える文字で入力し直して「設定保存」を押してください。");
    return text;
}

bool SettingsFile::readsAsUtf8(std::string_view value) {
    // Japanese in UTF-8 takes three bytes a character, and a lead byte of
    // 0xE0 or more opens such a character. Shift-JIS text nearly never forms
    // one: its kana and common kanji begin with bytes UTF-8 uses only inside
    // a character. Half-width kana pairs may form two-byte UTF-8 characters,
    // so those alone prove nothing.
    const bool longCharacter = std::any_of(
        value.begin(), value.end(), [](char c) { return static_cast<unsigned char>(c) >= 0xE0; });
    return longCharacter && platform::isValidUtf8(value);
}

Result<StoredSettings> SettingsFile::read(const QString& path) {
    platform::LineReader reader(path);
    using R = Result<StoredSettings>;
    if (!reader.isOpen()) return R::failure(messages::kSettingsMissing);
    std::vector<std::string> lines;
    std::string text;
    while (lines.size() < 8 && reader.next(text)) lines.push_back(text);
    // A file that opens but can't be read (a folder of that name, a bad
    // disk) counts as no file rather than as an empty one.
    if (reader.failed()) return R::failure(messages::kSettingsMissing);
    lines = splitLoneCrLines(std::move(lines));
    // A newer Notepad saves UTF-8; a value Shift-JIS can hold is carried over,
    // one it can't is set aside alone.
    bool utf8 = true;
    bool shown = false;
    for (const std::string& l : lines) {
        utf8 = utf8 && platform::isValidUtf8(l);
        shown = shown || readsAsUtf8(l);
    }
    return parse(lines, utf8 && shown);
}

std::string SettingsFile::format(const SettingsToWrite& v) {
    std::string out;
    appendLine(out, "prindex", std::to_string(v.printerIndex));
    appendLine(out, "printer", v.printerName);
    appendLine(out, "qevpath", v.qevWorkPath);
    appendLine(out, "clinic", v.clinicName);
    appendLine(out, "tel", v.clinicTel);
    appendLine(out, "prev", v.previewOnAutoStart ? "1" : "0");
    appendLine(out, "style", std::string(1, static_cast<char>('0' + v.printStyle)));
    if (!v.usageLine.empty()) {
        out.append(v.usageLine);
        out.append("\r\n");
    }
    return out;
}

Status SettingsFile::write(const SettingsToWrite& v, const QString& path,
                           const std::optional<platform::FileStamp>& expected) {
    // A line break inside a value would shift every later line on reading.
    for (const std::string* text : {&v.printerName, &v.qevWorkPath, &v.clinicName, &v.clinicTel}) {
        if (holdsLineBreak(*text)) {
            return Status::failure(messages::kSettingsNotWritable);
        }
    }
    // The usage line goes back exactly as it was read, and a file saved with
    // CR CR LF line ends leaves a CR on it. A CR ends no line on reading and
    // the entries stop before it anyway; refusing it would stop "設定保存"
    // for good. Only a line feed would break the file.
    if (v.usageLine.find('\n') != std::string::npos) {
        return Status::failure(messages::kSettingsNotWritable);
    }
    if (v.printStyle < 1 || v.printStyle > 3) {
        return Status::failure(messages::kSettingsNotWritable);
    }
    QString why;
    Status written;
    if (expected) {
        written = platform::replaceFileIfUnchanged(path, *expected, format(v), &why);
    } else if (const Result<platform::FileLock> lock = platform::FileLock::forFile(path); !lock) {
        written = Status::failure(lock.error(), lock.errorKind());
        why = lock.error();
    } else {
        written = platform::writeFileAtomically(path, format(v), &why);
    }
    if (written) return {};
    // A change by another window is for the caller to ask about; a busy lock
    // says itself that nothing was written.
    if (written.errorKind() == ErrorKind::FileChanged ||
        written.errorKind() == ErrorKind::FileBusy) {
        return written;
    }
    return Status::failure(messages::settingsNotWritableBecause(why));
}

Result<std::string> SettingsFile::encodeField(const QString& text, const QString& label) {
    for (QChar c : text) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator) {
            return Result<std::string>::failure(messages::kLineBreakInField.arg(label));
        }
        // A pasted tab would print as a gap in the clinic's name or break
        // the work folder's path.
        if (c == QLatin1Char('\t')) return Result<std::string>::failure(messages::kTabInField.arg(label));
    }
    const QString bad = platform::firstUnencodable(text);
    if (!bad.isEmpty()) {
        return Result<std::string>::failure(messages::kUnencodableInField.arg(label, bad));
    }
    return platform::fromUnicode(text);
}

}  // namespace dorimek::mainwin
