#include "SheetFixture.h"

#include "TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

namespace dorimek::sheets::testing {

ProgramFolder::ProgramFolder() : previous_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }

ProgramFolder::~ProgramFolder() { QDir::setCurrent(previous_); }

void ProgramFolder::writeMaster(const std::vector<const char*>& utf8Lines) const {
    std::string bytes;
    for (const char* line : utf8Lines) bytes += dorimek::testing::sjis(line) + "\r\n";
    dorimek::testing::writeBytes(path(QStringLiteral("yakujo.txt")), bytes);
}

void ProgramFolder::writeFile(const QString& name, const std::string& bytes) const {
    dorimek::testing::writeBytes(path(name), bytes);
}

std::string encodedPicture(const QImage& image, const char* format, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format, quality));
    return std::string(bytes.constData(), size_t(bytes.size()));
}

QImage filledPicture(int w, int h, QColor colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QString pdfText(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-enc"),
                                          QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        ADD_FAILURE() << "pdftotext failed on " << pdf.toStdString();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

QImage pdfPage(const QString& pdf, int dpi, double topMm) {
    const QString prefix = pdf + QStringLiteral("-page");
    QStringList args = {
        QStringLiteral("-r"),   QString::number(dpi),          QStringLiteral("-gray"),
        QStringLiteral("-png"), QStringLiteral("-singlefile"), QStringLiteral("-f"),
        QStringLiteral("1"),    QStringLiteral("-l"),          QStringLiteral("1")};
    if (topMm > 0) {
        args << QStringLiteral("-H") << QString::number(int(topMm * dpi / 25.4));
    }
    args << pdf << prefix;
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), args);
    if (!p.waitForFinished(120000) || p.exitCode() != 0) {
        ADD_FAILURE() << "pdftoppm failed on " << pdf.toStdString();
        return {};
    }
    return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_Grayscale8);
}

namespace {

template <class F>
void forRow(const report::ReportDocument& doc, int row, const QString& element, F&& f) {
    for (const report::ReportPage& page : doc.pages) {
        for (const report::PlacedElement& placed : page.elements) {
            if (placed.name != element || placed.row != row) continue;
            for (const report::ReportOp& op : page.ops) {
                if (op.owner == element && placed.rect.intersects(op.rect)) f(op);
            }
        }
    }
}

}  // namespace

QStringList rowTexts(const report::ReportDocument& doc, int row, const QString& element) {
    QStringList texts;
    forRow(doc, row, element, [&](const report::ReportOp& op) {
        if (op.type == report::ReportOp::Text) texts.append(op.text);
    });
    return texts;
}

int rowImages(const report::ReportDocument& doc, int row, const QString& element) {
    int n = 0;
    forRow(doc, row, element, [&](const report::ReportOp& op) {
        if (op.type == report::ReportOp::Image) ++n;
    });
    return n;
}

int detailRows(const report::ReportDocument& doc) {
    int rows = 0;
    for (const report::ReportPage& page : doc.pages) {
        for (const report::PlacedBand& band : page.bands) {
            if (band.type == report::rbDetail && !band.continuation) ++rows;
        }
    }
    return rows;
}

}  // namespace dorimek::sheets::testing
