#include "LineReader.h"

#include "NativeFile.h"
#include "SystemError.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace dorimek::platform {
namespace {
constexpr char kDosEndOfFile = 0x1A;
constexpr size_t kReadBlock = 256 * 1024;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// What may stand behind an end-of-file byte without being text that is lost:
// line ends, more end-of-file bytes, NUL padding and blanks.
bool holdsText(const char* bytes, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        switch (bytes[i]) {
            case '\r':
            case '\n':
            case '\0':
            case kDosEndOfFile:
            case ' ':
            case '\t':
                continue;
            default:
                return true;
        }
    }
    return false;
}
}  // namespace

LineReader::LineReader(const QString& path) {
    file_ = openForReading(path);
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
    const size_t from = end_;
    const size_t n = std::fread(buffer_ + end_, 1, capacity_ - end_, file_);
    end_ += n;
    if (n == 0) atEnd_ = true;
    // Each block is searched once, so files without debris cost one memchr
    // per block and no work per line.
    cutAtEndMark(from);
    if (!mayHoldNul_ && end_ > from && std::memchr(buffer_ + from, '\0', end_ - from))
        mayHoldNul_ = true;
    return end_ > from;
}

void LineReader::cutAtEndMark(size_t from) {
    if (end_ <= from) return;
    const void* mark = std::memchr(buffer_ + from, kDosEndOfFile, end_ - from);
    if (!mark) return;
    const size_t at = static_cast<size_t>(static_cast<const char*>(mark) - buffer_);
    endMarkSeen_ = true;
    textAfterEnd_ = holdsText(buffer_ + at + 1, end_ - at - 1) || restOfFileHasText();
    end_ = at;
    atEnd_ = true;
}

bool LineReader::restOfFileHasText() {
    char block[64 * 1024];
    for (;;) {
        const size_t n = std::fread(block, 1, sizeof block, file_);
        if (n == 0) return false;
        if (holdsText(block, n)) return true;
    }
}

bool LineReader::next(std::string_view& text, bool* hadLineEnd) {
    if (!file_) return false;
    size_t scanned = begin_;  // no line feed in [begin_, scanned)
    const char* lf = nullptr;
    for (;;) {
        lf = end_ > scanned
                 ? static_cast<const char*>(std::memchr(buffer_ + scanned, '\n', end_ - scanned))
                 : nullptr;
        if (lf) break;
        scanned = end_ - begin_;  // where the unscanned part starts once fill() moved the line
        if (!fill()) break;
    }
    if (!lf && begin_ == end_) {
        // The end-of-file byte stood at the start of the line after the last.
        if (endMarkSeen_ && !debris_.endMarkLine())
            debris_.noteEndMark(lineNumber_ + 1, textAfterEnd_);
        return false;
    }
    char* line = buffer_ + begin_;
    // A line cut off by the end-of-file byte was finished by whoever wrote
    // the byte; only a line the file itself stops in is unfinished.
    const bool ended = lf != nullptr || endMarkSeen_;
    size_t len = lf ? static_cast<size_t>(lf - line) : end_ - begin_;
    begin_ = lf ? begin_ + len + 1 : end_;
    ++lineNumber_;
    if (!lf && endMarkSeen_) debris_.noteEndMark(lineNumber_, textAfterEnd_);
    if (mayHoldNul_ && std::memchr(line, '\0', len)) {
        len = static_cast<size_t>(std::remove(line, line + len, '\0') - line);
        debris_.noteNul(lineNumber_);
    }
    if (ended && len > 0 && line[len - 1] == '\r') --len;
    // A byte-order mark is no text of the file's first line of text,
    // whatever follows it; nor is a second one before it, nor the blank or
    // NUL lines an old tool put in front (a file written back keeps none of
    // these, so it must read the same with them gone).
    if (!textSeen_) {
        while (std::string_view(line, len).starts_with(kByteOrderMark)) {
            line += kByteOrderMark.size();
            len -= kByteOrderMark.size();
            check_.noteByteOrderMark();
        }
        textSeen_ =
            std::string_view(line, len).find_first_not_of(" \t\r") != std::string_view::npos;
    }
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
