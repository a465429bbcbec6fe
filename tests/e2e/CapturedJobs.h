#pragma once

#include <QList>
#include <QSet>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <optional>

namespace dorimek::testing {

// One word of a printed page as the PDF text extractor places it (points,
// origin top left).
struct PdfWord {
    QString text;
    double xMin = 0;
    double yMin = 0;
    double xMax = 0;
    double yMax = 0;
};

struct PdfPage {
    QSizeF size;
    QList<PdfWord> words;  // in the extractor's reading order

    QStringList texts() const;
    bool hasWord(const QString& text) const;
    // Words whose left edge lies in [left, right) and top in [top, bottom),
    // top to bottom, then left to right.
    QList<PdfWord> wordsIn(double left, double right, double top, double bottom) const;
    // The first word with exactly that text, if any.
    std::optional<PdfWord> find(const QString& text) const;
};

// The words of every page of a PDF file (pdftotext -bbox); fails with the
// reason when the extractor is missing or the file can't be read.
struct PdfText {
    QList<PdfPage> pages;
    QString error;
};
PdfText extractPdfText(const QString& pdfPath);

// The private test spooler of tests/cups: where it keeps each job it took,
// and why it isn't running when it isn't.
class CaptureQueue {
  public:
    // From DORIMEK_CUPS_DIR, set by the ctest fixture; folder is where the
    // queue's device URI points, inside it ("capture" for the fixture's own).
    explicit CaptureQueue(const QString& folder = QStringLiteral("capture"));
    // The folder, for a device URI "capture:<path>".
    QString path() const { return dir_ + QLatin1Char('/') + folder_; }

    // Empty when the spooler runs; else the reason to skip.
    QString unavailableReason() const;
    // The job files there now.
    QSet<QString> jobs() const;
    // Waits up to timeoutMs for a job not in before whose text contains
    // marker (a word), and returns its path; empty when none came. Jobs of
    // other tests sharing the spooler are passed over.
    QString waitForJob(const QSet<QString>& before, const QString& marker,
                       int timeoutMs = 30000) const;
    // Every new job with the marker that came within timeoutMs, once count
    // of them have come (or the time is up).
    QStringList waitForJobs(const QSet<QString>& before, const QString& marker, int count,
                            int timeoutMs = 30000) const;

  private:
    QString dir_;
    QString folder_;
};

}  // namespace dorimek::testing
