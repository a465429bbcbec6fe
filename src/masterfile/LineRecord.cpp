#include "LineRecord.h"

#include "MasterLines.h"

#include <QFileInfo>

namespace dorimek::masterfile {

LineRecordRule::LineRecordRule(int recordNumber, std::string_view registeredName)
    : recordNumber_(recordNumber), name_(registeredName) {}

bool LineRecordRule::offer(int n, std::string_view registeredName) {
    if (registeredName != name_) return first_.has_value() && n >= recordNumber_;
    if (n == recordNumber_) {
        atNumber_ = n;
        return true;
    }
    if (!first_) first_ = n;
    return n > recordNumber_;
}

std::optional<int> LineRecordRule::chosen() const { return atNumber_ ? atNumber_ : first_; }

std::optional<int> findLineRecord(const MasterNames& registeredNames,
                                  int recordNumber, std::string_view registeredName) {
    LineRecordRule rule(recordNumber, registeredName);
    for (size_t n = 0; n < registeredNames.size(); ++n) {
        if (rule.offer(static_cast<int>(n), registeredNames[n])) break;
    }
    return rule.chosen();
}

Result<std::optional<LineRecord>> ReadLineRecord(int recordNumber,
                                                 std::string_view registeredName,
                                                 const QString& path) {
    using R = Result<std::optional<LineRecord>>;
    MasterLines reader(path);
    const QString fileName = QFileInfo(path).fileName();
    if (!reader.isOpen()) {
        return R::failure(
            QStringLiteral("ファイル %1 を開けません: %2").arg(fileName, reader.openError()));
    }
    LineRecordRule rule(recordNumber, registeredName);
    std::optional<LineRecord> found;
    std::string_view line;
    for (int n = 0; reader.next(line); ++n) {
        const bool done = rule.offer(n, registeredNameIn(line));
        if (rule.chosen() == n) found = LineRecord{n, std::string(line)};
        if (done) return found;
    }
    if (reader.failed()) {
        return R::failure(QStringLiteral("ファイル %1 を読み込めません").arg(fileName));
    }
    return found;
}

}  // namespace dorimek::masterfile
