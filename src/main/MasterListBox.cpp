#include "MasterListBox.h"

#include <QAbstractItemDelegate>
#include <QFontMetrics>
#include <QStyleOptionViewItem>

#include <algorithm>
#include <utility>
#include <vector>

namespace dorimek::mainwin {
namespace {

// Entries measured in full at most, after the estimate has ranked them.
constexpr size_t kMeasured = 64;

}  // namespace

MasterListBox::MasterListBox(QWidget* parent) : QListWidget(parent) { setUniformItemSizes(true); }

void MasterListBox::setEntries(const QStringList& texts) {
    clear();
    if (texts.isEmpty()) return;
    addItems(texts);
    // The list takes its one size from the last entry: give that entry the
    // widest entry's width and its own height.
    const int last = count() - 1;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    QAbstractItemDelegate* delegate = itemDelegate();
    const QSize own = delegate->sizeHint(option, model()->index(last, 0));
    const QSize widest = delegate->sizeHint(option, model()->index(widestEntry(texts), 0));
    item(last)->setSizeHint(QSize(std::max(own.width(), widest.width()), own.height()));
}

int MasterListBox::widestEntry(const QStringList& texts) const {
    // Shaping every entry is what made a large list slow to open. The sum of
    // the characters' own advances is an upper bound of an entry's width (its
    // characters only come closer in context), so rank by it and shape from
    // the top until no entry left can be wider than the widest one shaped.
    const QFontMetrics metrics(font());
    std::vector<int> advance(0x10000, -1);
    std::vector<std::pair<int, int>> ranked;  // (bound, row)
    ranked.reserve(static_cast<size_t>(texts.size()));
    for (int row = 0; row < texts.size(); ++row) {
        int bound = 0;
        for (const QChar c : texts.at(row)) {
            int& a = advance[c.unicode()];
            if (a < 0) a = c.isSurrogate() ? metrics.maxWidth() : metrics.horizontalAdvance(c);
            bound += a;
        }
        ranked.emplace_back(bound, row);
    }
    const size_t top = std::min(kMeasured, ranked.size());
    std::partial_sort(ranked.begin(), ranked.begin() + static_cast<long>(top), ranked.end(),
                      [](const auto& a, const auto& b) { return a.first > b.first; });
    int widestRow = ranked.front().second;
    int widestWidth = -1;
    for (size_t i = 0; i < top && ranked[i].first > widestWidth; ++i) {
        const int width = metrics.horizontalAdvance(texts.at(ranked[i].second));
        if (width > widestWidth) {
            widestWidth = width;
            widestRow = ranked[i].second;
        }
    }
    return widestRow;
}

}  // namespace dorimek::mainwin
