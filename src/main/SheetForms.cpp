#include "SheetForms.h"

#include "sheets/Picyak.h"
#include "sheets/Picyou.h"
#include "sheets/Yakujo.h"

#include <QPointer>

#include <array>

namespace dorimek::mainwin {
namespace {

// Guarded, so that a form freed with its owner is never reached again.
std::array<QPointer<sheets::TForm1>, SheetForms::kStyles>& currentForms() {
    static std::array<QPointer<sheets::TForm1>, SheetForms::kStyles> forms;
    return forms;
}

}  // namespace

int SheetForms::normalisedStyle(int style) { return style == 2 || style == 3 ? style : 1; }

sheets::TForm1* SheetForms::create(int style, const prescription::PrescriptionSource& source,
                                   const prescription::SheetSettings& settings, QObject* owner) {
    style = normalisedStyle(style);
    sheets::TForm1* form = nullptr;
    switch (style) {
        case 2:
            form = new sheets::TForm4(source, settings, owner);
            break;
        case 3:
            form = new sheets::TForm5(source, settings, owner);
            break;
        default:
            form = new sheets::TForm1(source, settings, owner);
            break;
    }
    currentForms()[static_cast<size_t>(style - 1)] = form;
    return form;
}

sheets::TForm1* SheetForms::current(int style) {
    return currentForms()[static_cast<size_t>(normalisedStyle(style) - 1)].data();
}

sheets::TForm1* SheetForms::currentOrCreate(int style, const prescription::PrescriptionSource& source,
                                            const prescription::SheetSettings& settings, QObject* owner) {
    if (sheets::TForm1* form = current(style)) return form;
    return create(style, source, settings, owner);
}

}  // namespace dorimek::mainwin
