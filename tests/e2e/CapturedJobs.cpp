#include "CapturedJobs.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>

namespace dorimek::testing {

QStringList PdfPage::texts() const {
    QStringList out;
    for (const PdfWord& w : words) out << w.text;
    return out;
}

bool PdfPage::hasWord(const QString& text) const { return find(text).has_value(); }

std::optional<PdfWord> PdfPage::find(const QString& text) const {
    for (const PdfWord& w : words) {
        if (w.text == text) return w;
    }
    return std::nullopt;
}

QList<PdfWord> PdfPage::wordsIn(double left, double right, double top, double bottom) const {
    QList<PdfWord> out;
    for (const PdfWord& w : words) {
        if (w.xMin >= left && w.xMin < right && w.yMin >= top && w.yMin < bottom) out << w;
    }
    std::stable_sort(out.begin(), out.end(), [](const PdfWord& a, const PdfWord& b) {
        // Words of one printed line may differ in their top by a fraction.
        if (std::abs(a.yMin - b.yMin) > 1.0) return a.yMin < b.yMin;
        return a.xMin < b.xMin;
    });
    return out;
}

PdfText extractPdfText(const QString& pdfPath) {
    PdfText result;
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-enc"),
                                          QStringLiteral("UTF-8"), pdfPath, QStringLiteral("-")});
    if (!p.waitForStarted(10000)) {
        result.error = QStringLiteral("pdftotext can't be run (package poppler-utils): %1")
                           .arg(p.errorString());
        return result;
    }
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        result.error = QStringLiteral("pdftotext failed on %1: %2")
                           .arg(pdfPath, QString::fromLocal8Bit(p.readAllStandardError()));
        return result;
    }
    QXmlStreamReader xml(p.readAllStandardOutput());
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const auto a = xml.attributes();
        if (xml.name() == QLatin1String("page")) {
            PdfPage page;
            page.size = QSizeF(a.value(QLatin1String("width")).toDouble(),
                               a.value(QLatin1String("height")).toDouble());
            result.pages << page;
        } else if (xml.name() == QLatin1String("word") && !result.pages.isEmpty()) {
            PdfWord w;
            w.xMin = a.value(QLatin1String("xMin")).toDouble();
            w.yMin = a.value(QLatin1String("yMin")).toDouble();
            w.xMax = a.value(QLatin1String("xMax")).toDouble();
            w.yMax = a.value(QLatin1String("yMax")).toDouble();
            w.text = xml.readElementText();
            result.pages.last().words << w;
        }
    }
    if (xml.hasError())
        result.error = QStringLiteral("pdftotext output: %1").arg(xml.errorString());
    return result;
}

CaptureQueue::CaptureQueue(const QString& folder)
    : dir_(QString::fromLocal8Bit(qgetenv("DORIMEK_CUPS_DIR"))), folder_(folder) {}

QString CaptureQueue::unavailableReason() const {
    if (dir_.isEmpty()) return QStringLiteral("DORIMEK_CUPS_DIR is not set: run through ctest");
    QFile why(dir_ + QStringLiteral("/unavailable"));
    if (why.open(QIODevice::ReadOnly)) {
        return QStringLiteral("test spooler unavailable: %1")
            .arg(QString::fromLocal8Bit(why.readAll()).trimmed());
    }
    if (qEnvironmentVariableIsEmpty("CUPS_SERVER")) return QStringLiteral("CUPS_SERVER is not set");
    return {};
}

QSet<QString> CaptureQueue::jobs() const {
    QSet<QString> out;
    const QDir d(path());
    for (const QString& name : d.entryList({QStringLiteral("job-*.pdf")}, QDir::Files)) {
        out.insert(d.filePath(name));
    }
    return out;
}

QString CaptureQueue::waitForJob(const QSet<QString>& before, const QString& marker,
                                 int timeoutMs) const {
    const QStringList found = waitForJobs(before, marker, 1, timeoutMs);
    return found.isEmpty() ? QString() : found.first();
}

QStringList CaptureQueue::waitForJobs(const QSet<QString>& before, const QString& marker, int count,
                                      int timeoutMs) const {
    QElapsedTimer clock;
    clock.start();
    QSet<QString> looked = before;
    QStringList found;
    while (true) {
        QStringList fresh;
        for (const QString& job : jobs()) {
            if (!looked.contains(job)) fresh << job;
        }
        fresh.sort();
        for (const QString& job : fresh) {
            looked.insert(job);
            const PdfText text = extractPdfText(job);
            for (const PdfPage& page : text.pages) {
                if (page.hasWord(marker)) {
                    found << job;
                    break;
                }
            }
        }
        if (found.size() >= count || clock.elapsed() > timeoutMs) break;
        QThread::msleep(100);
    }
    // The spooler names jobs by number; keep them in the order they were sent.
    std::sort(found.begin(), found.end(), [](const QString& a, const QString& b) {
        auto number = [](const QString& p) {
            const QString name = QFileInfo(p).completeBaseName();
            return name.mid(name.indexOf(QLatin1Char('-')) + 1).toInt();
        };
        return number(a) < number(b);
    });
    return found;
}

}  // namespace dorimek::testing
