#include "TReportLabel.h"

#include "platform/Sjis.h"

namespace dorimek::report {

TReportLabel::TReportLabel(QString name) : TReportTextElement(std::move(name), kLabel) {}

void TReportLabel::setCaptionText(const QString& text) { Caption = platform::fromUnicode(text); }

std::vector<std::string> TReportLabel::paragraphs() const { return {Caption}; }

}  // namespace dorimek::report
