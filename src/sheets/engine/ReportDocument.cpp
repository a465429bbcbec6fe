#include "ReportDocument.h"

#include <QStringList>

namespace dorimek::report {

const std::vector<PlacedBand>& ReportDocument::bandsOn(int page) const {
    static const std::vector<PlacedBand> none;
    if (page < 0 || page >= pageCount()) return none;
    return pages[static_cast<size_t>(page)].bands;
}

const PlacedElement* ReportDocument::elementOn(int page, const QString& name, int n) const {
    if (page < 0 || page >= pageCount()) return nullptr;
    for (const PlacedElement& e : pages[static_cast<size_t>(page)].elements) {
        if (e.name == name && n-- == 0) return &e;
    }
    return nullptr;
}

QStringList ReportDocument::textsOn(int page) const {
    QStringList texts;
    if (page < 0 || page >= pageCount()) return texts;
    for (const ReportOp& op : pages[static_cast<size_t>(page)].ops) {
        if (op.type == ReportOp::Text) texts.append(op.text);
    }
    return texts;
}

QStringList ReportDocument::textsOf(int page, const QString& owner) const {
    QStringList texts;
    if (page < 0 || page >= pageCount()) return texts;
    for (const ReportOp& op : pages[static_cast<size_t>(page)].ops) {
        if (op.type == ReportOp::Text && op.owner == owner) texts.append(op.text);
    }
    return texts;
}

}  // namespace dorimek::report
