#include "PreviewFixture.h"

#include "TestFiles.h"
#include "masterfile/DrugMasterFile.h"

#include <QBuffer>
#include <QDir>

#include <cstdio>
#include <cstdlib>

namespace dorimek::preview::testing {

using dorimek::testing::sjis;
using dorimek::testing::writeBytes;

void FakeSource::addKnown(int index, const char* usage) {
    // The line carries its record's RegisteredName, as a click on the master
    // list gives it; a number past the file gets a name no record has.
    const auto names = masterfile::LoadRegisteredNames();
    const bool inFile = names && index >= 0 && index < static_cast<int>(names->size());
    state.appendKnown(inFile ? (*names)[static_cast<size_t>(index)] : sjis("既知"), index);
    usages[state.lineCount()] = sjis(usage);
}

void FakeSource::addUnknown(const char* name, const char* usage) {
    state.appendUnknown(sjis(name));
    usages[state.lineCount()] = sjis(usage);
}

ProgramFolder::ProgramFolder() : previous_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }

ProgramFolder::~ProgramFolder() { QDir::setCurrent(previous_); }

void ProgramFolder::writeMaster(const std::vector<const char*>& utf8Lines) const {
    std::string bytes;
    for (const char* line : utf8Lines) bytes += sjis(line) + "\r\n";
    writeBytes(path(QStringLiteral("yakujo.txt")), bytes);
}

void ProgramFolder::writePicture(const QString& name, int w, int h, const char* format) const {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(200, 30, 30));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format, 95)) {
        std::fprintf(stderr, "cannot encode a %s picture\n", format);
        std::abort();
    }
    writeBytes(path(name), std::string_view(bytes.constData(), size_t(bytes.size())));
}

void ProgramFolder::writeDamagedPhoto(const QString& name) const {
    // A JPEG's start and nothing a decoder can use after it.
    writeBytes(path(name), std::string("\xFF\xD8\xFF\xE0", 4) + std::string(200, '\x11'));
}

void writeStandardFolder(const ProgramFolder& folder) {
    folder.writeMaster({
        "アムロジン錠5,アムロジン 錠 5mg,錠,AM 5,5mg 100錠,高血圧症　狭心症,めまい に注意,amu.jpg",
        "ガスター錠,ガスター錠20mg,錠,GA,20mg,胃潰瘍,表示どおり飲む,",
        "ロキソニン錠,ロキソニン錠,錠,LX,60mg,痛み止め,胃の不調,roki.bmp",
        "ムコダイン錠,ムコダイン錠,錠,MU,250mg,たんを出す,なし,missing.jpg",
        "こわれ錠,こわれ錠,錠,KW,1mg,効能A,注意A,broken.jpg",
        "こわれ錠二,こわれ錠二,錠,KX,2mg,効能B,注意B,broken.jpg",
        "べつの錠,べつの錠,錠,BT,3mg,効能C,注意C,bad2.jpg",
    });
    folder.writePicture(QStringLiteral("amu.jpg"), 164, 76, "JPEG");
    folder.writePicture(QStringLiteral("roki.bmp"), 41, 76, "BMP");
    folder.writeDamagedPhoto(QStringLiteral("broken.jpg"));
    folder.writeDamagedPhoto(QStringLiteral("bad2.jpg"));
}

}  // namespace dorimek::preview::testing
