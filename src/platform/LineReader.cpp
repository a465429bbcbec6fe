#include "LineReader.h"

#include "SystemError.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace dorimek::platform {
namespace {
constexpr char kDosEndOfFile = 0x1A;
constexpr size_t kReadBuffer = 256 * 1024;
}

LineReader::LineReader(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    file_ = std::fopen(native.constData(), "rb");
    if (!file_) {
        openError_ = fileErrorReason(errno);
        return;
    }
    // Master files run to tens of megabytes and are read from the top for
    // every lookup: a few large reads instead of thousands of page-sized ones.
    std::setvbuf(file_, nullptr, _IOFBF, kReadBuffer);
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

bool LineReader::next(std::string_view& text, bool* hadLineEnd) {
    if (!file_) return false;
    const ssize_t n = getline(&buffer_, &capacity_, file_);
    if (n <= 0) return false;
    size_t len = static_cast<size_t>(n);
    const bool ended = buffer_[len - 1] == '\n';
    // Files written on DOS-era systems may end with a Ctrl-Z mark after the
    // last line end; their own text-mode readers stop there, so it is no line.
    if (!ended && buffer_[0] == kDosEndOfFile) return false;
    if (ended) {
        --len;
        if (len > 0 && buffer_[len - 1] == '\r') --len;
    }
    text = std::string_view(buffer_, len);
    check_.feedLine(text);
    if (hadLineEnd) *hadLineEnd = ended;
    return true;
}

bool LineReader::failed() const { return file_ && std::ferror(file_); }

}  // namespace dorimek::platform
