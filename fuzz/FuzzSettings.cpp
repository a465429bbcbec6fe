// sorbenk.ini as a clinic may have edited it by hand: the whole reader, the
// usage line included, and the writer's round trip of what was read.
#include "FuzzSupport.h"

#include "main/PrinterChoice.h"
#include "main/SettingsFile.h"
#include "platform/TextEncoding.h"

#include <QFile>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace dorimek;
using dorimek::fuzz::check;
using mainwin::SettingsFile;

namespace {

bool holdsLineEnd(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

void checkLine(std::string_view line) {
    if (const auto value = SettingsFile::valueAfterEquals(line)) {
        check(!holdsLineEnd(*value), "a value kept a line end");
        check(value->size() < line.size(), "a value longer than its line");
    }
    if (const auto entries = SettingsFile::parseUsageLine(line)) {
        size_t total = 0;
        for (const std::string& e : *entries) total += e.size();
        check(total <= line.size(), "usage entries hold more than their line");
    }
    SettingsFile::flagCharacter(line);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const QString path = fuzz::writeScratchFile("sorbenk.ini", bytes);

    const auto stored = SettingsFile::read(path);
    // A file that isn't Shift-JIS is named and its texts left unused.
    if (!stored.ok() && stored.errorKind() == ErrorKind::WrongEncoding) return 0;
    check(stored.ok(), "a readable settings file failed to read");
    const mainwin::StoredSettings& s = *stored;

    size_t start = 0;
    while (start <= bytes.size()) {
        const size_t end = std::min(bytes.find('\n', start), bytes.size());
        checkLine(bytes.substr(start, end - start));
        start = end + 1;
    }

    if (s.printerIndexText) {
        check(s.printerIndexText->size() <= static_cast<size_t>(SettingsFile::kIndexTextChars),
              "the printer index text is longer than its limit");
    }
    // The printer index at start, from the file or from the host's third
    // argument, always names a printer in the list or the default (-1).
    for (const int printers : {0, 1, 3}) {
        for (const std::string_view argument : {std::string_view(), bytes.substr(0, 12)}) {
            const auto choice = mainwin::choosePrinterIndex(s.printerIndexText, argument, printers);
            check(choice.index >= -1 && choice.index < printers, "printer index out of the list");
            if (choice.rejected) check(choice.index == -1, "a rejected index was kept");
        }
    }
    if (s.printStyle) check(*s.printStyle >= 1 && *s.printStyle <= 3, "print style out of range");
    if (s.usageLine.empty()) check(s.usageList.empty(), "usage entries without a usage line");

    // "設定保存" of what was read, then read again: the same settings.
    mainwin::SettingsToWrite w;
    w.printerIndex = 0;
    w.qevWorkPath = s.qevWorkPath.value_or(std::string());
    w.clinicName = s.clinicName.value_or(std::string());
    w.clinicTel = s.clinicTel.value_or(std::string());
    w.previewOnAutoStart = s.previewOnAutoStart.value_or(false);
    w.printStyle = s.printStyle.value_or(3);
    w.usageLine = s.usageLine;

    const QString copy = fuzz::scratchDir() + QStringLiteral("/written.ini");
    const Status written = SettingsFile::write(w, copy);
    // Whatever was read can be saved again: a refusal here would stop the
    // clinic from ever saving its settings without editing the file by hand.
    check(written.ok(), "settings as read can't be saved again");
    const auto back = SettingsFile::read(copy);
    // Bytes that are neither Shift-JIS nor anything else may still happen to
    // form UTF-8 once rearranged; such a file is named, not misread.
    if (!back.ok() && back.errorKind() == ErrorKind::WrongEncoding) return 0;
    check(back.ok(), "the file just written can't be read");
    check(back->printerIndexText == std::string("0"), "printer index lost");
    // A Shift-JIS value whose bytes also form Japanese UTF-8 reads as UTF-8
    // (real text never does: its kana and common kanji can't), and so does
    // every value of a file whose every line is UTF-8 and one Japanese
    // UTF-8; only those may come back converted.
    bool fileAllUtf8 = true;
    bool fileShowsUtf8 = false;
    {
        QFile file(copy);
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        const std::string text(bytes.constData(), static_cast<size_t>(bytes.size()));
        size_t from = 0;
        while (from < text.size()) {
            const size_t end = std::min(text.find('\n', from), text.size());
            const std::string_view line(text.data() + from, end - from);
            fileAllUtf8 = fileAllUtf8 && platform::isValidUtf8(line);
            fileShowsUtf8 = fileShowsUtf8 || SettingsFile::readsAsUtf8(line);
            from = end + 1;
        }
    }
    const bool fileReadsAsUtf8 = fileAllUtf8 && fileShowsUtf8;
    auto same = [fileReadsAsUtf8](const std::optional<std::string>& got, const std::string& put) {
        return got == put || fileReadsAsUtf8 || SettingsFile::readsAsUtf8(put);
    };
    check(same(back->qevWorkPath, w.qevWorkPath), "host folder lost");
    check(same(back->clinicName, w.clinicName), "clinic name lost");
    check(same(back->clinicTel, w.clinicTel), "clinic telephone lost");
    check(back->previewOnAutoStart == w.previewOnAutoStart, "preview flag lost");
    check(back->printStyle == w.printStyle, "print style lost");
    if (!fileReadsAsUtf8 && !SettingsFile::readsAsUtf8(w.usageLine)) {
        check(back->usageLine == w.usageLine, "usage line lost");
        check(back->usageList == s.usageList, "usage list changed");
    }
    return 0;
}
