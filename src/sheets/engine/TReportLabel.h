#pragma once

#include "TReportTextElement.h"

#include <string>

namespace dorimek::report {

class TReportLabel : public TReportTextElement {
  public:
    explicit TReportLabel(QString name);

    std::string Caption;  // Shift-JIS

    void setCaption(std::string sjis) { Caption = std::move(sjis); }
    // For fixed texts written in the program (headings, the clinic line).
    void setCaptionText(const QString& text);

    std::vector<std::string> paragraphs() const override;
};

}  // namespace dorimek::report
