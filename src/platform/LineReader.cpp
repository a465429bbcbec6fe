#include "LineReader.h"

#include "SystemError.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace dorimek::platform {
namespace {
constexpr char kDosEndOfFile = 0x1A;
constexpr size_t kReadBlock = 256 * 1024;
}

LineReader::LineReader(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    file_ = std::fopen(native.constData(), "rb");
    if (!file_) {
        openError_ = fileErrorReason(errno);
        return;
    }
    // Lines are cut out of large blocks read straight into our own buffer:
    // master files run to tens of megabytes and are read from the top for
    // every lookup, and a copy of every line (and stdio's page-sized reads)
    // cost more than the lines' own use.
    std::setvbuf(file_, nullptr, _IONBF, 0);
}

LineReader::~LineReader() {
    if (file_) std::fclose(file_);
    std::free(buffer_);
}

bool LineReader::next(std::string& text, bool* hadLineEnd) {
    std::string_view view;
    if (!next(view, hadLineEnd)) return false;
    text.assign(view);
    return true;
}

bool LineReader::fill() {
    if (atEnd_) return false;
    if (begin_ > 0) {
        std::memmove(buffer_, buffer_ + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == capacity_) {
        // A line longer than the buffer: the buffer grows to hold it whole.
        const size_t grown = capacity_ == 0 ? kReadBlock : capacity_ * 2;
        char* bigger = static_cast<char*>(std::realloc(buffer_, grown));
        if (!bigger) {
            atEnd_ = true;
            allocationFailed_ = true;
            return false;
        }
        buffer_ = bigger;
        capacity_ = grown;
    }
    const size_t n = std::fread(buffer_ + end_, 1, capacity_ - end_, file_);
    end_ += n;
    if (n == 0) atEnd_ = true;
    return n > 0;
}

bool LineReader::next(std::string_view& text, bool* hadLineEnd) {
    if (!file_) return false;
    size_t scanned = begin_;  // no line feed in [begin_, scanned)
    const char* lf = nullptr;
    for (;;) {
        lf = end_ > scanned ? static_cast<const char*>(std::memchr(buffer_ + scanned, '\n', end_ - scanned))
                           : nullptr;
        if (lf) break;
        scanned = end_ - begin_;  // where the unscanned part starts once fill() moved the line
        if (!fill()) break;
    }
    if (!lf && begin_ == end_) return false;
    const char* line = buffer_ + begin_;
    const bool ended = lf != nullptr;
    size_t len = ended ? static_cast<size_t>(lf - line) : end_ - begin_;
    begin_ = ended ? begin_ + len + 1 : end_;
    // Files written on DOS-era systems may end with a Ctrl-Z mark after the
    // last line end; their own text-mode readers stop there, so it is no line.
    if (!ended && line[0] == kDosEndOfFile) return false;
    if (ended && len > 0 && line[len - 1] == '\r') --len;
    text = std::string_view(line, len);
    // A CR before the end of an unended line is no cut: the file ends its
    // lines with CR alone, which the check must still see.
    const bool crInside = len > 1 && std::memchr(line, '\r', len - 1) != nullptr;
    if (ended || checkUnterminated_ || crInside) check_.feedLine(text);
    if (hadLineEnd) *hadLineEnd = ended;
    return true;
}

bool LineReader::failed() const { return allocationFailed_ || (file_ && std::ferror(file_)); }

}  // namespace dorimek::platform
