#pragma once

#include "platform/LineReader.h"

#include <QString>

#include <string>
#include <string_view>

namespace dorimek::masterfile {

// The lines of yakujo.txt as every one of its readers sees them: the list,
// the sheets and the preview, the grid editor and 個別編集. A record number
// counts the records this gives, so all of them agree on which line is which
// drug. What old tools and editors leave in the file is no record and no
// text: a blank line (also one that was only NUL padding) is skipped, NUL
// bytes are dropped and the end-of-file byte 0x1A ends the file. The file
// itself is left as it is; only a save rewrites it, without them.
class MasterLines {
  public:
    explicit MasterLines(const QString& path) : reader_(path) {}

    bool isOpen() const { return reader_.isOpen(); }
    const QString& openError() const { return reader_.openError(); }

    // The next record's line, without its line end; false at the end. A view
    // stays valid until the next read.
    bool next(std::string_view& line);
    bool next(std::string& line);

    bool failed() const { return reader_.failed(); }
    platform::EncodingProblem encodingProblem() const { return reader_.encodingProblem(); }
    // The file line (from 1) of the record last returned.
    int fileLine() const { return reader_.lineNumber(); }
    // Complete once next() has returned false.
    const platform::LineDebris& debris() const { return reader_.debris(); }

    // Nothing but blanks: such a line would be an empty entry in the list.
    static bool isBlank(std::string_view line);

  private:
    platform::LineReader reader_;
};

// What start-up tells about a master file's debris, naming the lines; empty
// when there is nothing worth telling (an end-of-file byte with nothing
// behind it is how such files end).
QString debrisMessage(const platform::LineDebris& debris, const QString& fileName);

}  // namespace dorimek::masterfile
