#pragma once

#include "TReportElement.h"

#include <optional>
#include <string>
#include <vector>

namespace dorimek::report {

// What labels and memos share: the text settings. The text itself is
// Shift-JIS bytes, as the sheets read it from the drug master file.
class TReportTextElement : public TReportElement {
  public:
    using TReportElement::TReportElement;

    TAlignment Alignment = taLeftJustify;
    bool AutoSize = false;
    bool AutoStretch = false;
    bool WordWrap = true;
    // Unset: the band's font, or the report's when the band has none.
    std::optional<TReportFont> Font;
    QColor Color = Qt::white;
    bool Transparent = false;

    // The text as paragraphs; a carriage return inside a paragraph starts a
    // new line as well.
    virtual std::vector<std::string> paragraphs() const = 0;
};

}  // namespace dorimek::report
