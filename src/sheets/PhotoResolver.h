#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <string_view>

namespace dorimek::sheets {

// Where a record's photo name leads, the way the old Windows PC found it.
struct PhotoLookup {
    enum class Outcome {
        Found,      // path names the file
        Missing,    // no file: tried lists where it was looked for
        Ambiguous,  // files differing only in letter case: candidates lists them
    };
    Outcome outcome = Outcome::Missing;
    QString path;            // the file found (absolute)
    QStringList tried;       // absolute paths looked at, in order
    QStringList candidates;  // the ambiguous files (absolute)
};

// Finds the files that photo names of the master file mean. The names were
// written on Windows, where letter case doesn't matter, often with the old
// program folder's absolute path (C:\DORIMEK\photo\a.jpg, \\SERVER\share\...,
// Z:\photo\...) and with backslashes; file names copied from elsewhere may be
// in decomposed Unicode form. The exact name wins whenever it is there.
// One resolver serves one sheet or one preview: it lists each folder once and
// keeps the listing, so a folder that changes meanwhile is seen only by the
// next sheet.
class PhotoResolver {
  public:
    // folder: where a relative name starts and where the old program's
    // folder now stands; empty means the current directory.
    explicit PhotoResolver(QString folder = {});

    PhotoLookup resolve(std::string_view sjisName);

    // How many folders have been listed (each at most once).
    int listingsMade() const { return int(listings_.size()); }

  private:
    const QStringList& listing(const QString& folder);
    // Walks parts from base without regard to letter case.
    PhotoLookup walk(const QString& base, const QStringList& parts);

    QString folder_;
    QHash<QString, QStringList> listings_;
};

}  // namespace dorimek::sheets
