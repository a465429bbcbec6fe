#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

namespace dorimek::platform {

// What a save or print killed half-way leaves behind, and its clearing at the
// next start. A save writes ".<name>.XXXXXX" beside the file it replaces
// (AtomicFile); a print writes its PDF into "dorimek-<pid>-XXXXXX" in the
// temporary folder. Only names of exactly these patterns are touched, never
// the data files themselves.
class StaleLeftovers {
  public:
    struct Rules {
        // Only leftovers last changed before this count as stale: anything
        // newer may belong to a save of another window still running.
        QDateTime before;
        // Whether the process of a print folder's pid still runs (its print
        // may be on its way to the spooler).
        std::function<bool(qint64 pid)> pidRunning;
        // Whether another copy of the program runs now: print folders without
        // a pid in their name can't be told apart then, and stay. Asked only
        // when there is such a folder.
        std::function<bool()> otherCopyRunning;
    };

    // The rules of this process: its start time, the system's processes.
    static Rules systemRules();

    // The template of a print's temporary folder, with this process's pid in
    // it, for QTemporaryDir.
    static QString printFolderTemplate();

    // Removes the stale leftovers of dataFiles (bare names) in folder and of
    // prints in tempFolder; gives the paths removed.
    static QStringList remove(const QString& folder, const QStringList& dataFiles,
                              const QString& tempFolder, const Rules& rules);

    // True for ".<one of dataFiles>.XXXXXX" (six letters or digits).
    static bool isSaveLeftover(const QString& fileName, const QStringList& dataFiles);
    // The pid of a print folder's name: 0 for the older "dorimek-XXXXXX"
    // without one, -1 for a name that isn't a print folder's.
    static qint64 printFolderPid(const QString& folderName);

    static bool processRunning(qint64 pid);
    static QDateTime processStartTime();
};

}  // namespace dorimek::platform
