#include "TReportMemo.h"

namespace dorimek::report {

TReportMemo::TReportMemo(QString name) : TReportTextElement(std::move(name), kMemo) {}

}  // namespace dorimek::report
