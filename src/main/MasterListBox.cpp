#include "MasterListBox.h"

#include "MasterListText.h"

#include "platform/Sjis.h"

#include <QAbstractItemDelegate>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
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
    // Names are typed in Japanese: the input method's committed text
    // searches as typed letters do.
    setAttribute(Qt::WA_InputMethodEnabled, true);
    connect(this, &QAbstractItemView::clicked, this, [this] {
        endTyping();
        emit entryChosen();
    });
    typingPause_.setSingleShot(true);
    typingPause_.setInterval(kTypingPauseMs);
    connect(&typingPause_, &QTimer::timeout, this, &MasterListBox::endTyping);
    typedTip_ = new QLabel(this);
    typedTip_->setObjectName(QStringLiteral("TypedText"));
    typedTip_->setForegroundRole(QPalette::ToolTipText);
    typedTip_->setBackgroundRole(QPalette::ToolTipBase);
    typedTip_->setAutoFillBackground(true);
    typedTip_->setFrameShape(QFrame::Box);
    typedTip_->hide();
}

void MasterListBox::setEntries(const masterfile::MasterNames* names) {
    model_.setNames(names);
    names_ = names;
    typing_.invalidate();
    endTyping();
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

void MasterListBox::entryChanged(int row) {
    model_.nameChanged(row);
    typing_.invalidate();
}

void MasterListBox::setCurrentRow(int row) {
    moveToRow(row);
    if (selectedRow() == row) emit entryChosen();
}

void MasterListBox::moveToRow(int row) {
    selectionModel()->setCurrentIndex(entry(row), QItemSelectionModel::ClearAndSelect);
}

void MasterListBox::keyboardSearch(const QString& text) {
    // A control character (a key the list has no use for) is no part of a name.
    if (!names_ || text.isEmpty() || !text.front().isPrint()) return;
    typed(typing_.type(*names_, text));
}

void MasterListBox::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        switch (key) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Space:
                endTyping();
                if (currentIndex().isValid()) {
                    moveToRow(currentRow());
                    emit entryChosen();
                }
                event->accept();
                return;
            case Qt::Key_Escape:
            case Qt::Key_Backspace:
                if (!typing_.active()) break;
                if (key == Qt::Key_Escape)
                    endTyping();
                else
                    typed(typing_.erase(*names_));
                event->accept();
                return;
            case Qt::Key_Up:
            case Qt::Key_Down:
                if (!typing_.active()) break;
                typed(typing_.step(*names_, currentRow(), key == Qt::Key_Down));
                event->accept();
                return;
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
            case Qt::Key_Home:
            case Qt::Key_End:
                endTyping();
                break;
            default:
                break;
        }
    }
    QListView::keyPressEvent(event);
}

void MasterListBox::inputMethodEvent(QInputMethodEvent* event) {
    const QString commit = event->commitString();
    if (!commit.isEmpty() && commit.trimmed().isEmpty() && event->preeditString().isEmpty() &&
        !typing_.active()) {
        // An input method in kana mode turns Space into a committed
        // full-width space: it picks the entry as Space does.
        if (currentIndex().isValid()) {
            moveToRow(currentRow());
            emit entryChosen();
        }
    } else if (!commit.isEmpty()) {
        keyboardSearch(commit);
    }
    if (!event->preeditString().isEmpty()) {
        // Composing takes longer than a pause between keys.
        typingPause_.stop();
        showTypedText(event->preeditString());
    } else if (typing_.active()) {
        showTypedText();
    } else {
        typedTip_->hide();
    }
    event->accept();
}

void MasterListBox::focusOutEvent(QFocusEvent* event) {
    endTyping();
    QListView::focusOutEvent(event);
}

void MasterListBox::resizeEvent(QResizeEvent* event) {
    QListView::resizeEvent(event);
    if (typedTip_->isVisible()) showTypedText();
}

void MasterListBox::typed(const TypeAhead::Step& step) {
    if (step.row) {
        const QModelIndex found = entry(*step.row);
        // The first match goes to the top, with the names that follow it
        // (its other strengths and makers) in view below.
        if (!viewport()->rect().contains(visualRect(found))) scrollTo(found, PositionAtTop);
        moveToRow(*step.row);
    }
    if (!typing_.active()) {
        endTyping();
        return;
    }
    typedMatched_ = step.matched;
    showTypedText();
    typingPause_.start();
}

void MasterListBox::endTyping() {
    typingPause_.stop();
    typing_.reset();
    typedMatched_ = true;
    if (typedTip_) typedTip_->hide();
}

void MasterListBox::showTypedText(const QString& preedit) {
    // The list is narrow: what the search found comes first, then the text.
    const bool missed = !typedMatched_ && preedit.isEmpty();
    const QString text = (missed ? QStringLiteral("該当なし: ") : QStringLiteral("検索: ")) +
                         typing_.query() + preedit;
    typedTip_->setText(text);
    typedTip_->adjustSize();
    const QRect area = viewport()->geometry();
    typedTip_->resize(std::min(typedTip_->width(), area.width()), typedTip_->height());
    typedTip_->move(area.left(), area.bottom() + 1 - typedTip_->height());
    typedTip_->show();
    typedTip_->raise();
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
