#pragma once

#include "prescription/PrescriptionSource.h"

#include <QImage>
#include <QString>
#include <QTemporaryDir>

#include <map>
#include <string>
#include <vector>

namespace dorimek::preview::testing {

// The main window as the preview sees it: a prescription and its usage boxes.
class FakeSource : public prescription::PrescriptionSource {
  public:
    const prescription::PrescriptionState& prescription() const override { return state; }
    std::string usageText(int n) const override {
        auto it = usages.find(n);
        return it == usages.end() ? std::string() : it->second;
    }

    // Appends a line for record number index (UTF-8 usage, stored Shift-JIS).
    void addKnown(int index, const char* usage = "");
    // Appends a line for a drug that is not in the master list.
    void addUnknown(const char* name, const char* usage = "");

    prescription::PrescriptionState state;
    std::map<int, std::string> usages;  // Shift-JIS, by line
};

// A program folder in a temporary directory, made the current directory for
// the fixture's lifetime, as start-up makes the program's folder current
// (photo names are looked up relative to it).
class ProgramFolder {
  public:
    ProgramFolder();
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    QString path(const QString& name) const { return dir_.filePath(name); }
    // yakujo.txt from UTF-8 lines, stored as Shift-JIS with CR LF.
    void writeMaster(const std::vector<const char*>& utf8Lines) const;
    // A w x h picture of one colour in a format Qt writes ("JPEG", "BMP").
    void writePicture(const QString& name, int w, int h, const char* format) const;
    // A bitmap under a JPEG name: it opens but doesn't decode.
    void writeDamagedPhoto(const QString& name) const;

  private:
    QTemporaryDir dir_;
    QString previous_;
};

// The master file most tests use: the records below, and the photos they name
// (amu.jpg 164 x 76, roki.bmp 41 x 76, broken.jpg damaged, missing.jpg absent).
enum Record {
    kAmlodin = 0,  // blanks in its fields, photo amu.jpg
    kGaster,       // no photo
    kLoxonin,      // photo roki.bmp
    kMucodyne,     // photo missing.jpg, which doesn't exist
    kBroken,       // photo broken.jpg, which doesn't decode
    kBroken2,      // the same damaged broken.jpg
    kOtherBroken,  // photo bad2.jpg, also damaged
    kRecordCount,
};
void writeStandardFolder(const ProgramFolder& folder);

}  // namespace dorimek::preview::testing
