#include "GridRecovery.h"

#include "platform/AtomicFile.h"
#include "platform/Sjis.h"

#include <QFile>
#include <QFileInfo>

#include <charconv>

namespace dorimek::masterfile {
namespace {

constexpr std::string_view kHeader = "dorimek unsaved grid 1\r\n";
constexpr std::string_view kEnd = "end\r\n";

void appendNumber(std::string& out, long long n) { out += std::to_string(n); }

void appendCell(std::string& out, const QString& text) {
    bool encodable = true;
    std::string bytes = platform::fromUnicode(text, &encodable);
    if (!encodable) {
        const QByteArray utf8 = text.toUtf8();
        bytes.assign(utf8.constData(), static_cast<size_t>(utf8.size()));
        out += 'u';
    }
    appendNumber(out, static_cast<long long>(bytes.size()));
    out += ':';
    out += bytes;
}

// Reads the file front to back; any surprise fails the whole read.
class Reader {
  public:
    explicit Reader(std::string_view bytes) : rest_(bytes) {}

    bool literal(std::string_view text) {
        if (!rest_.starts_with(text)) return false;
        rest_.remove_prefix(text.size());
        return true;
    }
    bool number(long long& n) {
        const auto [end, ec] = std::from_chars(rest_.data(), rest_.data() + rest_.size(), n);
        if (ec != std::errc() || end == rest_.data()) return false;
        rest_.remove_prefix(static_cast<size_t>(end - rest_.data()));
        return true;
    }
    bool cell(QString& text) {
        const bool utf8 = literal("u");
        long long size = 0;
        if (!number(size) || size < 0 || !literal(":") || static_cast<size_t>(size) > rest_.size())
            return false;
        const std::string_view bytes = rest_.substr(0, static_cast<size_t>(size));
        text = utf8 ? QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()))
                    : platform::toUnicode(bytes);
        rest_.remove_prefix(bytes.size());
        return true;
    }
    bool hexDigest(QByteArray& digest) {
        const size_t end = rest_.find_first_of("\r ");
        if (end == std::string_view::npos) return false;
        const QByteArray hex(rest_.data(), static_cast<qsizetype>(end));
        digest = hex == "-" ? QByteArray() : QByteArray::fromHex(hex);
        rest_.remove_prefix(end);
        return true;
    }
    bool atEnd() const { return rest_.empty(); }

  private:
    std::string_view rest_;
};

}  // namespace

QString GridRecovery::pathFor(const QString& masterPath) {
    return masterPath + QStringLiteral(".unsaved");
}

std::string GridRecovery::encode(const std::vector<UnsavedGrid>& grids) {
    std::string out(kHeader);
    for (const UnsavedGrid& grid : grids) {
        const GridRows& rows = grid.rows;
        // Rows past the last that holds anything are the grid's empty room.
        int used = rows.rowCount();
        while (used > 0 && rows.origin(used - 1) < 0 && rows.row(used - 1) == GridRows::Row{}) {
            --used;
        }
        out += "grid ";
        appendNumber(out, rows.rowCount());
        out += ' ';
        appendNumber(out, used);
        out += " stamp ";
        if (const auto& s = grid.loadedStamp) {
            appendNumber(out, s->exists ? 1 : 0);
            out += ' ';
            appendNumber(out, s->size);
            out += ' ';
            out += s->digest.isEmpty() ? std::string("-") : s->digest.toHex().toStdString();
        } else {
            out += "none";
        }
        out += "\r\n";
        for (int r = 0; r < used; ++r) {
            appendNumber(out, rows.origin(r));
            for (const QString& cell : rows.row(r)) {
                out += ' ';
                appendCell(out, cell);
            }
            out += "\r\n";
        }
    }
    out += kEnd;
    return out;
}

Result<std::vector<UnsavedGrid>> GridRecovery::decode(std::string_view bytes) {
    using R = Result<std::vector<UnsavedGrid>>;
    const auto broken = [] {
        return R::failure(QStringLiteral("保存されなかった変更のファイルが壊れています"));
    };
    Reader in(bytes);
    if (!in.literal(kHeader)) return broken();
    std::vector<UnsavedGrid> grids;
    while (!in.literal(kEnd)) {
        long long total = 0, used = 0;
        if (!in.literal("grid ") || !in.number(total) || !in.literal(" ") || !in.number(used) ||
            used < 0 || used > total || total > 10'000'000 || !in.literal(" stamp "))
            return broken();
        UnsavedGrid grid;
        if (!in.literal("none")) {
            platform::FileStamp stamp;
            long long exists = 0;
            if (!in.number(exists) || !in.literal(" ") || !in.number(stamp.size) ||
                !in.literal(" ") || !in.hexDigest(stamp.digest))
                return broken();
            stamp.exists = exists != 0;
            grid.loadedStamp = stamp;
        }
        if (!in.literal("\r\n")) return broken();
        std::vector<GridRows::Row> rows(static_cast<size_t>(total));
        std::vector<int> origins(static_cast<size_t>(total), -1);
        for (long long r = 0; r < used; ++r) {
            long long origin = 0;
            const bool negative = in.literal("-");
            if (!in.number(origin)) return broken();
            origins[static_cast<size_t>(r)] = static_cast<int>(negative ? -origin : origin);
            for (QString& cell : rows[static_cast<size_t>(r)]) {
                if (!in.literal(" ") || !in.cell(cell)) return broken();
            }
            if (!in.literal("\r\n")) return broken();
        }
        grid.rows = GridRows(std::move(rows), std::move(origins));
        grids.push_back(std::move(grid));
    }
    if (!in.atEnd()) return broken();
    return grids;
}

Status GridRecovery::write(const QString& masterPath, const std::vector<UnsavedGrid>& grids) {
    return platform::writeFileAtomically(pathFor(masterPath), encode(grids));
}

Result<std::vector<UnsavedGrid>> GridRecovery::read(const QString& masterPath) {
    using R = Result<std::vector<UnsavedGrid>>;
    QFile file(pathFor(masterPath));
    if (!file.exists()) return std::vector<UnsavedGrid>{};
    if (!file.open(QIODevice::ReadOnly)) {
        return R::failure(QStringLiteral("%1 を開けません").arg(QFileInfo(file).fileName()));
    }
    const QByteArray bytes = file.readAll();
    return decode(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

bool GridRecovery::discard(const QString& masterPath) {
    const QString path = pathFor(masterPath);
    return !QFile::exists(path) || QFile::remove(path);
}

}  // namespace dorimek::masterfile
