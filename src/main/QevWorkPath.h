#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace dorimek::mainwin {

// The host's work folder as the settings hold it, looked at before it is
// used: rp.csv is opened as this text with "rp.csv" appended, so a folder
// written the Windows way, one that isn't there, or one without its final
// separator makes every import fail with only "rp.csvがありません".
struct QevWorkPathCheck {
    // The setting to use: as read, with the final "/" added when a folder
    // that can work lacked it.
    std::string usable;
    bool separatorAdded = false;
    // Why the folder can't work here, in Japanese; empty when it can.
    QString problem;

    bool works() const { return problem.isEmpty(); }
};

// Relative folders are looked for in the current directory, the program's
// folder. bytes are Shift-JIS.
QevWorkPathCheck checkQevWorkPath(std::string_view bytes);

// What the user is told, quoting the value as read; empty when there is
// nothing to tell. atSave: said after "設定保存" has written the value, which
// it does even for a folder that can't work, so that the other settings are
// not held back by a folder that isn't mounted yet.
QString qevWorkPathMessage(std::string_view asRead, const QevWorkPathCheck& check, bool atSave);

}  // namespace dorimek::mainwin
