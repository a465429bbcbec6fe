#include "RpCsvFile.h"

#include "platform/LineReader.h"
#include "platform/Sjis.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QDateTime>

#include <array>
#include <chrono>
#include <thread>

namespace dorimek::mainwin {
namespace {

constexpr int kNameField = 5;
constexpr int kUsageFlagField = 4;
constexpr int kUsageField = 9;
constexpr char kDosEndOfFile = 0x1A;

// A file nobody has written to for this long is not being written.
constexpr qint64 kSettledAgeMs = 2000;
// How much of the file's end is looked at: enough for the padding old tools
// leave behind the last line end.
constexpr qint64 kTailBytes = 4096;

// What one look at the file finds.
struct Look {
    bool exists = false;
    qint64 size = 0;
    qint64 modifiedMs = 0;
    bool endsWithLineEnd = false;

    bool sameAs(const Look& o) const {
        return exists == o.exists && size == o.size && modifiedMs == o.modifiedMs;
    }
};

Look lookAt(const QString& path) {
    Look look;
    // Only a plain file is looked into: a pipe in its place must not hold
    // the look.
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile()) return look;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return look;
    look.exists = true;
    look.size = file.size();
    look.modifiedMs = info.lastModified().toMSecsSinceEpoch();
    const qint64 from = look.size > kTailBytes ? look.size - kTailBytes : 0;
    if (look.size > 0 && file.seek(from)) {
        QByteArray tail = file.read(look.size - from);
        // NUL padding and a DOS end-of-file mark after the last line end
        // end no line.
        while (!tail.isEmpty() && (tail.back() == '\0' || tail.back() == kDosEndOfFile))
            tail.chop(1);
        look.endsWithLineEnd = tail.endsWith('\n');
    }
    return look;
}

bool settledLongAgo(const Look& look) {
    return QDateTime::currentMSecsSinceEpoch() - look.modifiedMs >= kSettledAgeMs;
}

}  // namespace

bool RpCsvFile::waitUntilComplete(const QString& path, const RpCsvWait& wait) {
    Look last = lookAt(path);
    if (!last.exists) return true;
    if (last.endsWithLineEnd && settledLongAgo(last)) return true;
    const auto deadline = std::chrono::steady_clock::now() + wait.total;
    while (std::chrono::steady_clock::now() < deadline) {
        if (wait.onPause) wait.onPause();
        std::this_thread::sleep_for(wait.interval);
        const Look now = lookAt(path);
        if (!now.exists) return true;
        if (now.endsWithLineEnd && now.sameAs(last)) return true;
        last = now;
    }
    return false;
}

QString RpCsvFile::pathIn(std::string_view qevWorkPath) {
    std::string bytes(qevWorkPath);
    bytes += "rp.csv";
    return platform::toUnicode(bytes);
}

RpCsvFile::LineKind RpCsvFile::parseLine(std::string_view line, int fileLine, RpRecord& out) {
    // A line beginning with CR is an empty line in any line-end style.
    if (!line.empty() && line.front() == '\r') return LineKind::Blank;
    // A stray CR left at the end (a line ended by CR CR LF, or a last line
    // ended by a lone CR) is line-end debris, not part of the usage text.
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) return LineKind::Blank;

    // Positions of the first ten commas: comma k (1-based) ends field k-1.
    // There is no quoting; a Shift-JIS trail byte is never 0x2C, so a byte
    // walk finds exactly the separators.
    std::array<size_t, kUsageField + 1> comma{};
    int found = 0;
    for (size_t i = 0; i < line.size() && found < kUsageField; ++i) {
        if (line[i] == ',') comma[++found] = i;
    }
    if (found < kNameField + 1) return LineKind::Malformed;

    const size_t nameBegin = comma[kNameField] + 1;
    const size_t nameEnd = comma[kNameField + 1];

    out = RpRecord{};
    out.fileLine = fileLine;
    out.drugName.assign(line.substr(nameBegin, nameEnd - nameBegin));
    out.hasOwnUsage = comma[kUsageFlagField + 1] != comma[kUsageFlagField] + 1;
    if (out.hasOwnUsage && found >= kUsageField) {
        out.usage.assign(line.substr(comma[kUsageField] + 1));
    }
    return out.drugName.empty() ? LineKind::NoName : LineKind::Record;
}

QString RpCsvFile::missingMessage(const QString& path) {
    return QStringLiteral("rp.csvがありません\n探したファイル: %1")
        .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
}

Result<RpCsvContent> RpCsvFile::read(const QString& path, const RpCsvWait& wait) {
    // A folder opens for reading on some systems and then fails on the first
    // read; for the user it is simply not the file.
    if (QFileInfo(path).isDir()) return Result<RpCsvContent>::failure(missingMessage(path));
    // The host may have started us while still writing the file.
    waitUntilComplete(path, wait);
    platform::LineReader reader(path);
    if (!reader.isOpen()) return Result<RpCsvContent>::failure(missingMessage(path));
    reader.leaveUnterminatedLineUnchecked();

    RpCsvContent content;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    qint64 hashed = 0;
    std::string line;
    int fileLine = 0;
    bool ended = true;
    while (reader.next(line, &ended)) {
        ++fileLine;
        // NUL padding an old tool left behind the last line end is no line.
        if (!ended && line.empty()) break;
        // However complete it looks, a line the host hasn't ended yet may be
        // any beginning of the real one: 朝昼 of 朝昼夕, or a name cut short.
        if (!ended) {
            content.unfinishedLine = fileLine;
            break;
        }
        hash.addData(QByteArrayView(line.data(), static_cast<qsizetype>(line.size())));
        hash.addData(QByteArrayView("\n", 1));
        hashed += static_cast<qint64>(line.size()) + 1;
        if (fileLine <= kHeaderLines) continue;
        RpRecord record;
        switch (parseLine(line, fileLine, record)) {
            case LineKind::Record:
                content.records.push_back(std::move(record));
                break;
            case LineKind::NoName:
                content.records.push_back(std::move(record));
                content.malformedLines.push_back(fileLine);
                break;
            case LineKind::Malformed:
                content.malformedLines.push_back(fileLine);
                break;
            case LineKind::Blank:
                break;
        }
    }
    // Drug names in mojibake would each be "not in the list" and print as
    // such: nothing of such a file is imported.
    if (const auto problem = reader.encodingProblem(); problem != platform::EncodingProblem::None) {
        return Result<RpCsvContent>::failure(
            platform::wrongEncodingMessage(QStringLiteral("rp.csv"), problem) +
                QStringLiteral("\n処方は取り込みませんでした。"),
            ErrorKind::WrongEncoding);
    }
    if (reader.debris().textAfterEndMark())
        content.textAfterEndMarkLine = reader.debris().endMarkLine();
    content.contentStamp = {true, hashed, hash.result()};
    if (reader.failed()) {
        content.readError =
            QStringLiteral("rp.csvを最後まで読めませんでした（%1行目まで取り込みました）")
                .arg(fileLine);
    }
    return content;
}

}  // namespace dorimek::mainwin
