#pragma once

#include <QString>

namespace dorimek::platform {

// What a print queue makes of the sheet's paper, JIS B5, as the spooler
// reports it for the queue's media.
struct QueuePaper {
    // False when the spooler couldn't be asked or says nothing of the
    // queue's media (a raw queue): nothing is claimed then either way.
    bool known = false;
    // The queue takes JIS B5, by name or as a custom size that holds it.
    bool jisB5 = true;
    // When it doesn't: the paper the sheet would come out on, for the user.
    QString paperInstead;
    // The margins of JIS B5 on this queue in tenths of a millimetre; a queue
    // that reports none prints to the edge.
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;

    // Asks the spooler about printer; an empty name gives an unknown answer.
    static QueuePaper of(const QString& printer);

    // The user's name for a paper: its PWG self-describing name (for example
    // "na_letter_8.5x11in") with its size in hundredths of a millimetre.
    static QString displayName(const QString& pwgName, int width, int length);
};

// Told where the printer is chosen when its queue won't print on JIS B5.
QString notJisB5Message(const QString& printer, const QString& paperInstead);

}  // namespace dorimek::platform
