#pragma once

#include "PhotoBox.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <string_view>

namespace dorimek::sheets {

class PhotoResolver;

// The file a record's photo name (Shift-JIS) points at, as written. A bare
// name is taken relative to the current directory, the program's folder.
// Names written with the backslash folder separator of the system the master
// files come from are given forward slashes; a 0x5C that is the second byte
// of a double-byte character is left alone.
QString photoPathForName(std::string_view sjisName);

// The photo of one sheet or preview row, padded to its cell's proportion.
struct PhotoCell {
    enum class State {
        NoPhoto,      // the record names no photo
        Missing,      // no file of that name, or several differing only in letter case
        Undecodable,  // the file is there but can't be shown
        Shown,
    };
    State state = State::NoPhoto;
    QImage box;     // the padded box; null unless Shown
    QString path;   // the file found, or the first place looked at
    QString error;  // Missing, Undecodable: what the user is told, naming the
                    // name read from the master file and the path tried
};

// Loads and pads the photo named by a record. cellPixels is the size, in
// device pixels, the cell is drawn at; the photo is decoded at no more than
// that needs. The box arithmetic always uses the photo's full size, so the
// result on paper doesn't depend on cellPixels. An empty cellPixels decodes
// at full size. The file is found through resolver (see PhotoResolver) and
// read by what its bytes are, whatever its name says.
PhotoCell loadPhotoCell(std::string_view sjisName, BoxProportion proportion, QSize cellPixels,
                        PhotoResolver& resolver);
// The same with a resolver of its own, starting in the current directory.
PhotoCell loadPhotoCell(std::string_view sjisName, BoxProportion proportion, QSize cellPixels);

}  // namespace dorimek::sheets
