#include "PhotoResolver.h"

#include "PhotoCell.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <vector>

namespace dorimek::sheets {
namespace {

QString folded(const QString& name) {
    return name.normalized(QString::NormalizationForm_C).toCaseFolded();
}

bool isFile(const QString& path) { return QFileInfo(path).isFile(); }

// The parts of a name written for another machine: a drive letter or a
// server and share name, which mean nothing here, and the folders below it.
struct Written {
    bool foreignRoot = false;  // C:\..., \\SERVER\share\...
    bool absolute = false;     // /... (a path of this machine's kind)
    QStringList parts;
};

Written split(const QString& path) {
    Written w;
    QString rest = path;
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
    if (rest.startsWith(QLatin1String("//"))) {
        w.foreignRoot = true;
        rest = rest.mid(2);
        const int server = rest.indexOf(QLatin1Char('/'));
        rest =
            server < 0 ? QString() : rest.mid(server + 1);  // the share stays: it may be the folder
    } else if (drive.match(rest).hasMatch()) {
        w.foreignRoot = true;
        rest = rest.mid(2);
    } else if (rest.startsWith(QLatin1Char('/'))) {
        w.absolute = true;
    }
    for (const QString& part : rest.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part != QLatin1String(".")) w.parts.append(part);
    }
    return w;
}

}  // namespace

PhotoResolver::PhotoResolver(QString folder)
    : folder_(QDir(folder.isEmpty() ? QDir::currentPath() : folder).absolutePath()) {}

const QStringList& PhotoResolver::listing(const QString& folder) {
    auto it = listings_.find(folder);
    if (it == listings_.end()) {
        it = listings_.insert(folder, QDir(folder).entryList(QDir::AllEntries | QDir::Hidden |
                                                             QDir::System | QDir::NoDotAndDotDot));
    }
    return *it;
}

PhotoLookup PhotoResolver::walk(const QString& base, const QStringList& parts) {
    PhotoLookup out;
    QString here = base;
    for (int i = 0; i < parts.size(); ++i) {
        const QString& want = parts[i];
        const bool last = i + 1 == parts.size();
        const QDir dir(here);
        if (want == QLatin1String("..")) {
            here = QDir::cleanPath(dir.filePath(want));
            continue;
        }
        // Exactly the name, then the same name in the other Unicode form,
        // then the name in any letter case: the first of these that picks
        // one entry decides. Two entries alike but for letter case, and
        // neither exact, can't be told apart.
        QStringList exact, sameForm, anyCase;
        const QString wantC = want.normalized(QString::NormalizationForm_C);
        const QString wantFolded = wantC.toCaseFolded();
        for (const QString& entry : listing(here)) {
            if (folded(entry) != wantFolded) continue;
            const QString path = dir.filePath(entry);
            if (last ? !QFileInfo(path).isFile() : !QFileInfo(path).isDir()) continue;
            if (entry == want) exact.append(path);
            if (entry.normalized(QString::NormalizationForm_C) == wantC) sameForm.append(path);
            anyCase.append(path);
        }
        const QStringList* chosen = !exact.isEmpty()      ? &exact
                                    : !sameForm.isEmpty() ? &sameForm
                                                          : &anyCase;
        if (chosen->isEmpty()) return out;
        if (chosen->size() > 1) {
            out.outcome = PhotoLookup::Outcome::Ambiguous;
            out.candidates = *chosen;
            return out;
        }
        here = chosen->front();
    }
    out.outcome = PhotoLookup::Outcome::Found;
    out.path = here;
    return out;
}

PhotoLookup PhotoResolver::resolve(std::string_view sjisName) {
    PhotoLookup result;
    if (sjisName.empty()) return result;
    const QString written = photoPathForName(sjisName);
    const Written w = split(written);
    if (w.parts.isEmpty()) {
        result.tried.append(QDir(folder_).filePath(written));
        return result;
    }

    // Where to look, most specific first: the name as written, and for a
    // path of another machine each of its tails below the program folder
    // (C:\DORIMEK\photo\a.jpg: DORIMEK/photo/a.jpg, photo/a.jpg, a.jpg).
    struct Place {
        QString base;
        QStringList parts;
    };
    std::vector<Place> places;
    if (!w.foreignRoot) {
        places.push_back({w.absolute ? QStringLiteral("/") : folder_, w.parts});
    }
    if (w.foreignRoot || w.absolute) {
        for (int k = 0; k < w.parts.size(); ++k) {
            places.push_back({folder_, w.parts.mid(k)});
        }
    }
    for (const Place& place : places) {
        const QString path =
            QDir::cleanPath(QDir(place.base).filePath(place.parts.join(QLatin1Char('/'))));
        if (!result.tried.contains(path)) result.tried.append(path);
        if (isFile(path)) {
            result.outcome = PhotoLookup::Outcome::Found;
            result.path = path;
            return result;
        }
        const PhotoLookup found = walk(place.base, place.parts);
        if (found.outcome != PhotoLookup::Outcome::Missing) {
            PhotoLookup out = found;
            out.tried = result.tried;
            return out;
        }
    }
    return result;
}

}  // namespace dorimek::sheets
