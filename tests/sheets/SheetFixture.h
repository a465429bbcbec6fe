#pragma once

#include "prescription/PrescriptionSource.h"
#include "sheets/engine/ReportDocument.h"
#include "sheets/engine/TReport.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <map>
#include <string>
#include <vector>

#include <ostream>

// Readable failure messages for texts.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace dorimek::sheets::testing {

// The main window as the sheets see it: a prescription and usage boxes 1..11.
class FakeSource : public prescription::PrescriptionSource {
  public:
    const prescription::PrescriptionState& prescription() const override { return state; }
    std::string usageText(int n) const override {
        auto it = usages.find(n);
        return it == usages.end() ? std::string() : it->second;
    }

    prescription::PrescriptionState state;
    std::map<int, std::string> usages;  // Shift-JIS
};

// A program folder in a temporary directory, made the current directory for
// the test's lifetime, as start-up makes the program's folder current.
class ProgramFolder {
  public:
    ProgramFolder();
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    QString path(const QString& name) const { return dir_.filePath(name); }
    // yakujo.txt from UTF-8 lines, stored as Shift-JIS with CR LF.
    void writeMaster(const std::vector<const char*>& utf8Lines) const;
    void writeFile(const QString& name, const std::string& bytes) const;

  private:
    QTemporaryDir dir_;
    QString previous_;
};

// A picture file's bytes in a format Qt writes ("JPEG", "BMP").
std::string encodedPicture(const QImage& image, const char* format, int quality = 90);
QImage filledPicture(int w, int h, QColor colour);

// Text a PDF holds, as pdftotext extracts it in reading order.
QString pdfText(const QString& pdf);
// Page 1 of a PDF rasterised in grey at dpi; its top topMm millimetres only
// when topMm is given.
QImage pdfPage(const QString& pdf, int dpi, double topMm = 0);

// The text lines an element drew in one detail row (1-based) of a run.
QStringList rowTexts(const report::ReportDocument& doc, int row, const QString& element);
// The number of pictures an element drew in a detail row.
int rowImages(const report::ReportDocument& doc, int row, const QString& element);
// The detail rows on all pages, in order.
int detailRows(const report::ReportDocument& doc);

}  // namespace dorimek::sheets::testing
