#pragma once

#include "PhotoBox.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <string_view>

namespace dorimek::sheets {

// The file a record's photo name (Shift-JIS) points at. A bare name is taken
// relative to the current directory, the program's folder. Names written with
// the backslash folder separator of the system the master files come from are
// given forward slashes; a 0x5C that is the second byte of a double-byte
// character is left alone.
QString photoPathForName(std::string_view sjisName);

// The photo of one sheet or preview row, padded to its cell's proportion.
struct PhotoCell {
    enum class State {
        NoPhoto,      // the record names no photo
        Missing,      // the named file can't be opened: no error
        Undecodable,  // the file opens but isn't a picture of the named kind
        Shown,
    };
    State state = State::NoPhoto;
    QImage box;     // the padded box; null unless Shown
    QString error;  // the decoder's Japanese text when Undecodable
};

// Loads and pads the photo named by a record. cellPixels is the size, in
// device pixels, the cell is drawn at; the photo is decoded at no more than
// that needs. The box arithmetic always uses the photo's full size, so the
// result on paper doesn't depend on cellPixels. An empty cellPixels decodes
// at full size.
PhotoCell loadPhotoCell(std::string_view sjisName, BoxProportion proportion, QSize cellPixels);

}  // namespace dorimek::sheets
