#include "DrugRecordEditor.h"

#include "masterfile/LineRecord.h"
#include "masterfile/MasterFileLimits.h"
#include "masterfile/MasterLines.h"
#include "platform/AtomicFile.h"
#include "platform/FileLock.h"
#include "platform/LineReader.h"
#include "platform/Sjis.h"

#include <QFileInfo>

#include <utility>
#include <vector>

namespace dorimek::mainwin {

using masterfile::DrugRecord;
using masterfile::kFieldCount;

namespace {

QString fileNameOf(const QString& path) { return QFileInfo(path).fileName(); }

// Every line of the file, whole and without its line end, in order.
Result<std::vector<std::string>> readAllLines(const QString& path) {
    using R = Result<std::vector<std::string>>;
    const QString name = fileNameOf(path);
    if (QFileInfo(path).isDir()) {
        return R::failure(
            QStringLiteral("%1と同じ名前のフォルダがあるため、保存しませんでした").arg(name));
    }
    masterfile::MasterLines reader(path);
    if (!reader.isOpen()) {
        return R::failure(QStringLiteral("%1を開けないため、保存しませんでした: %2")
                              .arg(name, reader.openError()));
    }
    std::vector<std::string> lines;
    std::string line;
    while (reader.next(line)) lines.push_back(line);
    if (reader.failed()) {
        return R::failure(QStringLiteral("%1を最後まで読めないため、保存しませんでした").arg(name));
    }
    return lines;
}

QString unstorableMessage(const QString& label, const QString& character) {
    return QStringLiteral("「%1」の「%2」はyakujo.txtに保存できない文字です。保存しませんでした")
        .arg(label, character);
}

}  // namespace

const std::array<QString, kFieldCount>& DrugRecordEditor::fieldLabels() {
    static const std::array<QString, kFieldCount> labels = {
        QStringLiteral("登録名"),   QStringLiteral("表示名"),       QStringLiteral("単位"),
        QStringLiteral("形状記号"), QStringLiteral("包装"),         QStringLiteral("効能"),
        QStringLiteral("注意"),     QStringLiteral("画像ファイル"),
    };
    return labels;
}

DrugRecordEditor::DrugRecordEditor(QString masterPath) : path_(std::move(masterPath)) {}

DrugRecord DrugRecordEditor::recordForEditing(std::string_view line) {
    const std::vector<std::string> fields = masterfile::splitFields(line);
    DrugRecord record;
    for (int i = 0; i < kFieldCount && i < static_cast<int>(fields.size()); ++i) {
        record.field(i) = fields[static_cast<size_t>(i)];
    }
    for (size_t i = kFieldCount; i < fields.size(); ++i) {
        record.imageFile += ',';
        record.imageFile += fields[i];
    }
    return record;
}

Result<LoadedDrug> DrugRecordEditor::load(std::string_view lineText, int recordNumber) {
    using R = Result<LoadedDrug>;
    const QString fileName = fileNameOf(path_);
    const QString notFound = QStringLiteral("「%1」は%2に登録されていないため、個別編集できません")
                                 .arg(masterfile::messageName(lineText), fileName);
    if (lineText.empty()) return R::failure(notFound);

    // One read finds the record and its line, so nothing can change between.
    const auto found = masterfile::ReadLineRecord(recordNumber, lineText, path_);
    if (!found) return R::failure(found.error());
    if (!found->has_value()) return R::failure(notFound);
    const masterfile::LineRecord& record = **found;
    // An edit field holds at most 32,767 characters and would cut a longer
    // field; the cut text would then be saved over the record.
    if (record.line.size() > masterfile::kAbsurdLineBytes) {
        return R::failure(QStringLiteral("「%1」の行は %2 バイトあり、個別編集の欄に収まりません。"
                                         "%3 の 1 行は %4 バイトまで、登録名は %5 バイトまでです。"
                                         "ﾌｧｲﾙ編集で直してください")
                              .arg(masterfile::messageName(lineText))
                              .arg(record.line.size())
                              .arg(fileName)
                              .arg(masterfile::kLineLimit)
                              .arg(masterfile::kNameLimit));
    }

    LoadedDrug loaded{recordForEditing(record.line), record.recordNumber};
    pending_ = Pending{record.recordNumber, std::string(lineText), loaded.record, record.line};
    return loaded;
}

bool DrugRecordEditor::isEdited(const std::array<QString, kFieldCount>& texts) const {
    if (!pending_) return false;
    for (int i = 0; i < kFieldCount; ++i) {
        if (texts[static_cast<size_t>(i)] != platform::toUnicode(pending_->loaded.field(i)))
            return true;
    }
    return false;
}

Status DrugRecordEditor::finish(const DrugRecord& record) {
    if (!pending_) {
        return Status::failure(
            QStringLiteral("保存する薬剤がありません。先に「個別編集」を押してください"));
    }
    // A field left as it was keeps its stored bytes: code page 932 has a few
    // characters under two codes, and names are matched byte for byte
    // against the host's prescriptions, so an unedited name must not change.
    DrugRecord toWrite = record;
    masterfile::FieldMask asRead;
    for (int i = 0; i < kFieldCount; ++i) {
        const std::string& stored = pending_->loaded.field(i);
        if (toWrite.field(i) == stored ||
            platform::toUnicode(toWrite.field(i)) == platform::toUnicode(stored)) {
            toWrite.field(i) = stored;
            asRead.set(static_cast<size_t>(i));
        }
    }
    return write(toWrite, asRead);
}

Result<DrugRecord> DrugRecordEditor::finish(const std::array<QString, kFieldCount>& texts) {
    using R = Result<DrugRecord>;
    if (!pending_) {
        return R::failure(
            QStringLiteral("保存する薬剤がありません。先に「個別編集」を押してください"));
    }
    const auto& labels = fieldLabels();
    DrugRecord record;
    masterfile::FieldMask asRead;
    for (int i = 0; i < kFieldCount; ++i) {
        const QString& text = texts[static_cast<size_t>(i)];
        const std::string& stored = pending_->loaded.field(i);
        if (text == platform::toUnicode(stored)) {
            record.field(i) = stored;
            asRead.set(static_cast<size_t>(i));
            continue;
        }
        if (const QString bad = platform::firstUnencodable(text); !bad.isEmpty()) {
            return R::failure(unstorableMessage(labels[static_cast<size_t>(i)], bad));
        }
        record.field(i) = platform::fromUnicode(text);
    }
    if (Status saved = write(record, asRead); !saved) return R::failure(saved.error());
    return record;
}

Status DrugRecordEditor::write(const DrugRecord& record, masterfile::FieldMask asRead) {
    Status saved = save(pending_->index, pending_->name, record, path_, asRead, pending_->line);
    if (saved) pending_.reset();
    return saved;
}

void DrugRecordEditor::followRewrite(const masterfile::MasterRewrite& rewrite) {
    if (!pending_) return;
    const int index = pending_->index;
    // The origins speak only for a record the grid loaded under this name;
    // otherwise the byte check at saving time decides.
    if (index < 0 || index >= static_cast<int>(rewrite.loadedNames.size()) ||
        rewrite.loadedNames[static_cast<size_t>(index)] != pending_->name) {
        return;
    }
    if (const auto now = rewrite.newNumberOf(index)) {
        pending_->index = *now;
        pending_->line = masterfile::joinRecord(rewrite.records[static_cast<size_t>(*now)]);
    } else {
        pending_->index = -1;  // its row was deleted: nothing may be overwritten
    }
}

Status DrugRecordEditor::save(int recordIndex, std::string_view loadedName,
                              const DrugRecord& record, const QString& masterPath,
                              masterfile::FieldMask asRead,
                              const std::optional<std::string>& expectedLine) {
    if (const QString problem = checkRecord(record, asRead); !problem.isEmpty()) {
        return Status::failure(problem);
    }
    // From the read to the replace no other save of this program can land,
    // so a change saved meanwhile by another window is read and kept.
    const Result<platform::FileLock> lock = platform::FileLock::forFile(masterPath);
    if (!lock) return Status::failure(lock.error(), lock.errorKind());
    Result<std::vector<std::string>> lines = readAllLines(masterPath);
    if (!lines) return Status::failure(lines.error());

    // Record numbers shift when the grid editor inserts or deletes rows, so
    // the loaded index alone could now point at another drug. The line must
    // still carry the name, and its bytes tell the record from a new row of
    // the same name put in its place.
    const QString fileName = fileNameOf(masterPath);
    const bool stillThere =
        recordIndex >= 0 && static_cast<size_t>(recordIndex) < lines->size() &&
        masterfile::registeredNameIn(lines.value()[static_cast<size_t>(recordIndex)]) ==
            loadedName &&
        (!expectedLine || lines.value()[static_cast<size_t>(recordIndex)] == *expectedLine);
    if (!stillThere) {
        return Status::failure(
            QStringLiteral("「個別編集」の後で%1が変更されたため、保存しませんでした。"
                           "もう一度「個別編集」からやり直してください")
                .arg(fileName));
    }

    lines.value()[static_cast<size_t>(recordIndex)] = masterfile::joinRecord(record);
    std::string bytes;
    for (const std::string& l : *lines) {
        bytes += l;
        bytes += "\r\n";
    }
    const Status written = platform::writeFileAtomically(masterPath, bytes);
    if (!written) {
        return Status::failure(
            QStringLiteral("%1に保存できませんでした。ファイルは元のままです。\n%2")
                .arg(fileName, written.error()));
    }
    return {};
}

QString DrugRecordEditor::checkRecord(const DrugRecord& record, masterfile::FieldMask asRead) {
    const QString problem = masterfile::formatProblem(record, asRead);
    return problem.isEmpty() ? problem : problem + QStringLiteral("。保存しませんでした");
}

Result<DrugRecord> DrugRecordEditor::recordFromTexts(
    const std::array<QString, kFieldCount>& texts) {
    using R = Result<DrugRecord>;
    const auto& labels = fieldLabels();
    DrugRecord record;
    for (int i = 0; i < kFieldCount; ++i) {
        const QString& text = texts[static_cast<size_t>(i)];
        // Checked before encoding: a character the code page lacks would
        // otherwise come out as '?' and be stored without a word.
        if (const QString bad = platform::firstUnencodable(text); !bad.isEmpty()) {
            return R::failure(unstorableMessage(labels[static_cast<size_t>(i)], bad));
        }
        record.field(i) = platform::fromUnicode(text);
    }
    if (const QString problem = checkRecord(record); !problem.isEmpty()) return R::failure(problem);
    return record;
}

}  // namespace dorimek::mainwin
