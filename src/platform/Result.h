#pragma once

#include <QString>

#include <optional>
#include <utility>

namespace dorimek {

// What kind of failure an error text reports, for callers that answer some
// failures differently (a file in the wrong encoding is named, a missing
// one gets the fixed text; a host-started run tells the host why printing
// failed through its exit status).
enum class ErrorKind {
    Other,
    WrongEncoding,
    NoPrinter,       // no printer to print on (none chosen, the stored one unknown)
    PrinterRefused,  // the queue is stopped or rejecting, or refused the job
    SpoolerDown,     // the print spooler can't be reached
    FileChanged,     // the file changed since it was read: the user decides
    FileBusy,        // another writer held the file's lock too long
};

// A value or a user-facing error text. Event handlers must not let exceptions
// escape into Qt, so fallible operations report through this instead.
template <class T>
class Result {
public:
    Result(T value) : value_(std::move(value)) {}  // NOLINT(google-explicit-constructor)
    static Result failure(QString error, ErrorKind kind = ErrorKind::Other) {
        Result r;
        r.error_ = std::move(error);
        r.kind_ = kind;
        return r;
    }

    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }
    const T& value() const& { return *value_; }
    T& value() & { return *value_; }
    T&& value() && { return std::move(*value_); }
    const T* operator->() const { return &*value_; }
    T* operator->() { return &*value_; }
    const T& operator*() const { return *value_; }
    const QString& error() const { return error_; }
    ErrorKind errorKind() const { return kind_; }

private:
    Result() = default;
    std::optional<T> value_;
    QString error_;
    ErrorKind kind_ = ErrorKind::Other;
};

// Success or a user-facing error text.
class Status {
public:
    Status() = default;
    static Status failure(QString error, ErrorKind kind = ErrorKind::Other) {
        Status s;
        s.failed_ = true;
        s.error_ = std::move(error);
        s.kind_ = kind;
        return s;
    }
    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const QString& error() const { return error_; }
    ErrorKind errorKind() const { return kind_; }

private:
    bool failed_ = false;
    QString error_;
    ErrorKind kind_ = ErrorKind::Other;
};

}  // namespace dorimek
