#pragma once

#include <QSizeF>
#include <QString>

#include <optional>
#include <vector>

namespace dorimek::platform {

// One paper a queue lists, as the spooler gives it: sizes and margins in
// hundredths of a millimetre.
struct MediaEntry {
    QString name;  // PWG self-describing name, e.g. "iso_a4_210x297mm"
    int width = 0;
    int length = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
    int top = 0;
};

// What the spooler tells of a queue's paper, gathered in one place so that
// the choice made of it can be checked without a spooler.
struct MediaFacts {
    std::vector<MediaEntry> entries;  // in the queue's order
    // The custom sizes the queue takes (hundredths of a millimetre), when any.
    std::optional<MediaEntry> customMin;
    std::optional<MediaEntry> customMax;
    // The margins the queue states it can print with, the largest on each
    // side; a custom size gets no margins of its own from the spooler.
    MediaEntry statedMargins;
    QString userDefault;   // the paper the user set for the queue, if any
    QString queueDefault;  // the printer's (or its PPD's) own default paper
};

// What a print queue makes of the sheet's paper, JIS B5: the paper a job asks
// for and the area of it the printer can put ink on.
struct QueuePaper {
    // False when the spooler couldn't be asked or says nothing of the
    // queue's media (a raw queue): nothing is claimed then either way, and
    // the job asks for JIS B5.
    bool known = false;
    // The queue takes JIS B5, by name or as a custom size that holds it.
    bool jisB5 = true;
    // When it doesn't: the paper the sheet comes out on, for the user.
    QString paperInstead;
    // What the job asks the spooler for, "name=value": the paper by name, or
    // by size and margins where the queue lists JIS B5 more than once (to
    // the edge and with a border), so that it prints on the entry measured.
    QString jobMedia = QStringLiteral("media=jis_b5_182x257mm");
    // The paper's size and its margins in tenths of a millimetre; a queue
    // that reports no margins prints to the edge.
    double width = 1820;
    double length = 2570;
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;

    // Asks the spooler about printer; an empty name gives an unknown answer.
    static QueuePaper of(const QString& printer);
    // The paper for a queue whose media are facts. Without JIS B5 the paper
    // is the one the user set for the queue, else the queue's own default,
    // else its first: always one the queue lists.
    static QueuePaper choose(const MediaFacts& facts);

    // The user's name for a paper: its PWG self-describing name (for example
    // "na_letter_8.5x11in") with its size in hundredths of a millimetre.
    static QString displayName(const QString& pwgName, int width, int length);
};

// The size of the paper a job's media option names, in millimetres: a PWG
// self-describing name ("media=iso_a4_210x297mm", "media=na_letter_8.5x11in")
// or a media-col's media-size (hundredths of a millimetre); JIS B5 where it
// names no size.
QSizeF jobMediaSize(const QString& jobMedia);

// Told where the printer is chosen when its queue won't print on JIS B5.
QString notJisB5Message(const QString& printer, const QString& paperInstead);

}  // namespace dorimek::platform
