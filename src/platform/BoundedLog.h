#pragma once

#include "Result.h"

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

namespace dorimek::platform {

// A text log that several processes append to, one line per call, and that
// never grows past a size: once it is larger than maxBytes, only its newest
// whole lines, at most keepBytes of them, are kept. A line is written whole
// or not at all, and two processes appending at once each add their line.
class BoundedLog {
  public:
    BoundedLog(QString path, std::int64_t maxBytes, std::int64_t keepBytes)
        : path_(std::move(path)), maxBytes_(maxBytes), keepBytes_(keepBytes) {}

    // Appends line and a line feed (line breaks inside it become blanks).
    // The error says in Japanese why the line couldn't be written.
    Status append(std::string_view line) const;

    const QString& path() const { return path_; }

    // The line as it goes into the log: line breaks inside it become blanks,
    // and one line feed ends it.
    static std::string recordOf(std::string_view line) {
        std::string record(line);
        for (char& c : record) {
            if (c == '\n' || c == '\r') c = ' ';
        }
        record += '\n';
        return record;
    }

    // The newest whole lines of text, at most keep bytes of them.
    static std::string_view newestLines(std::string_view text, std::int64_t keep) {
        if (static_cast<std::int64_t>(text.size()) <= keep) return text;
        const size_t from = text.size() - static_cast<size_t>(keep);
        // The cut falls inside a line unless a line ended right before it.
        if (text[from - 1] == '\n') return text.substr(from);
        const size_t lineEnd = text.find('\n', from);
        return lineEnd == std::string_view::npos ? std::string_view() : text.substr(lineEnd + 1);
    }

  private:
    QString path_;
    std::int64_t maxBytes_;
    std::int64_t keepBytes_;
};

}  // namespace dorimek::platform
