#include "MasterListBox.h"

#include "MasterListText.h"

#include "platform/Sjis.h"

#include <QAbstractItemDelegate>
#include <QFontMetrics>
#include <QItemSelectionModel>
#include <QStyleOptionViewItem>

#include <algorithm>
#include <utility>

namespace dorimek::mainwin {
namespace {

// Entries measured in full at most, after the estimate has ranked them.
constexpr size_t kMeasured = 64;

}  // namespace

MasterListBox::MasterListBox(QWidget* parent) : QListView(parent) {
    setUniformItemSizes(true);
    setModel(&model_);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MasterListBox::entrySelectionChanged);
}

void MasterListBox::setEntries(const masterfile::MasterNames* names) {
    model_.setNames(names);
    if (count() == 0) return;
    // The list takes its one size from the last entry: give that entry the
    // widest entry's width and its own height.
    const int last = count() - 1;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    QAbstractItemDelegate* delegate = itemDelegate();
    const QSize own = delegate->sizeHint(option, entry(last));
    const QSize widest = delegate->sizeHint(option, entry(widestRow(*names)));
    model_.setLastEntrySize(QSize(std::max(own.width(), widest.width()), own.height()));
}

void MasterListBox::entryChanged(int row) { model_.nameChanged(row); }

void MasterListBox::setCurrentRow(int row) {
    selectionModel()->setCurrentIndex(entry(row), QItemSelectionModel::ClearAndSelect);
}

int MasterListBox::selectedRow() const {
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

int MasterListBox::widestRow(const masterfile::MasterNames& names) const {
    // Shaping every entry is what made a large list slow to open. The sum of
    // the characters' own advances is an upper bound of an entry's width (its
    // characters only come closer in context), so rank by it and shape from
    // the top until no entry left can be wider than the widest one shaped.
    // A character's advance is looked up by its Shift-JIS code, so only the
    // distinct characters of the file are ever converted here.
    const QFontMetrics metrics(font());
    platform::SjisBatchDecoder decode;
    std::vector<int> advance(0x10000, -1);
    const int ellipsis = metrics.horizontalAdvance(QChar(0x2026));
    // The kMeasured largest bounds, smallest first (a min-heap): most entries
    // fall below the smallest and cost one comparison.
    std::vector<std::pair<int, int>> ranked;  // (bound, row)
    ranked.reserve(kMeasured + 1);
    const auto larger = [](const auto& a, const auto& b) { return a.first > b.first; };
    for (size_t row = 0; row < names.size(); ++row) {
        const std::string_view name = names[row];
        const std::string_view shown = shownPart(name);
        int bound = shown.size() == name.size() ? 0 : ellipsis;
        for (size_t i = 0; i < shown.size();) {
            const auto lead = static_cast<unsigned char>(shown[i]);
            const size_t len = platform::isDbcsLeadByte(lead) && i + 1 < shown.size() ? 2 : 1;
            const unsigned code = len == 2 ? (lead << 8) | static_cast<unsigned char>(shown[i + 1]) : lead;
            int& a = advance[code];
            if (a < 0) {
                a = 0;
                for (const QChar c : decode(shown.substr(i, len)))
                    a += c.isSurrogate() ? metrics.maxWidth() : metrics.horizontalAdvance(c);
            }
            bound += a;
            i += len;
        }
        if (ranked.size() == kMeasured && bound <= ranked.front().first) continue;
        ranked.emplace_back(bound, static_cast<int>(row));
        std::push_heap(ranked.begin(), ranked.end(), larger);
        if (ranked.size() > kMeasured) {
            std::pop_heap(ranked.begin(), ranked.end(), larger);
            ranked.pop_back();
        }
    }
    std::sort(ranked.begin(), ranked.end(), larger);
    const size_t top = ranked.size();
    int widestRow = ranked.front().second;
    int widestWidth = -1;
    for (size_t i = 0; i < top && ranked[i].first > widestWidth; ++i) {
        const int width = metrics.horizontalAdvance(text(ranked[i].second));
        if (width > widestWidth) {
            widestWidth = width;
            widestRow = ranked[i].second;
        }
    }
    return widestRow;
}

}  // namespace dorimek::mainwin
