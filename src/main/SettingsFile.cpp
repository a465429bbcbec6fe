#include "SettingsFile.h"

#include "MainMessages.h"
#include "platform/AtomicFile.h"
#include "platform/FileLock.h"
#include "platform/LineReader.h"
#include "platform/Sjis.h"

#include <QFileInfo>

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

StoredSettings SettingsFile::parse(const std::vector<std::string>& lines) {
    StoredSettings s;
    auto line = [&](size_t n) -> const std::string* {  // 1-based
        return n <= lines.size() ? &lines[n - 1] : nullptr;
    };
    if (const auto* l = line(1)) {
        if (auto v = valueAfterEquals(*l)) {
            if (v->size() > static_cast<size_t>(kIndexTextChars)) v->resize(kIndexTextChars);
            s.printerIndexText = std::move(*v);
        }
    }
    if (const auto* l = line(2)) s.printerName = valueAfterEquals(*l);
    if (const auto* l = line(3)) s.qevWorkPath = valueAfterEquals(*l);
    if (const auto* l = line(4)) s.clinicName = valueAfterEquals(*l);
    if (const auto* l = line(5)) s.clinicTel = valueAfterEquals(*l);
    if (const auto* l = line(6)) s.previewOnAutoStart = flagCharacter(*l) == '1';
    if (const auto* l = line(7)) {
        const auto c = flagCharacter(*l);
        if (c && *c >= '1' && *c <= '3') s.printStyle = *c - '0';
    }
    if (const auto* l = line(8)) {
        if (auto entries = parseUsageLine(*l)) {
            s.usageLine = *l;
            s.usageList = std::move(*entries);
        }
    }
    return s;
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
    // A clinic name in mojibake on every sheet is worse than none: such a
    // file counts as no file, and the user is told which file and why.
    if (const auto problem = reader.encodingProblem(); problem != platform::EncodingProblem::None) {
        return R::failure(platform::wrongEncodingMessage(QFileInfo(path).fileName(), problem) +
                              QLatin1Char('\n') + messages::kSettingsMissing,
                          ErrorKind::WrongEncoding);
    }
    return parse(lines);
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
