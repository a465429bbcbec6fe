#pragma once

#include "prescription/PrescriptionSource.h"

class QObject;

namespace dorimek::sheets {
class TForm1;
}

namespace dorimek::mainwin {

// The current instance of each sheet form, by print style: 1 TForm1 (text
// only), 2 TForm4 (photos), 3 TForm5 (photos and usage). A new form replaces
// the current one of its style; the earlier one lives on with its owner.
class SheetForms {
  public:
    static constexpr int kStyles = 3;

    // Creates the form of style (1..3; anything else gives style 1), makes it
    // current and returns it. It takes settings now and reads source at
    // every row, so source must outlive it; owner keeps it alive.
    static sheets::TForm1* create(int style, const prescription::PrescriptionSource& source,
                                  const prescription::SheetSettings& settings, QObject* owner);

    // The current form of style, or null when none exists (or it was freed).
    static sheets::TForm1* current(int style);

    // The current form of style; when there is none yet, one is created as
    // create() does. The automatic start makes only the sheet it needs, and a
    // preview it opens can still ask for another style.
    static sheets::TForm1* currentOrCreate(int style, const prescription::PrescriptionSource& source,
                                           const prescription::SheetSettings& settings, QObject* owner);

    // The style a number stands for: 2 and 3 are themselves, anything else 1.
    static int normalisedStyle(int style);
};

}  // namespace dorimek::mainwin
