#include "Visprev.h"

#include "PreviewRows.h"
#include "platform/FontMap.h"
#include "platform/Messages.h"
#include "platform/Sjis.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>
#include <QTimer>
#include <QtMath>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace dorimek::preview {
namespace {

QPlainTextEdit* newMemo(QWidget* parent) {
    auto* memo = new QPlainTextEdit(parent);
    // Like the memos the window was designed with: no scroll bars, lines
    // wrapped anywhere (Japanese has no blanks to wrap at), and Tab moves on
    // to the next control instead of typing a tab.
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memo->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    memo->setTabChangesFocus(true);
    memo->document()->setDocumentMargin(1);
    memo->setProperty("designedFrame", static_cast<int>(memo->frameShape()));
    return memo;
}

// A box for one line of a field (dosage form, package) that still wraps a
// text too long for that one line instead of cutting it.
QPlainTextEdit* newEditBox(QWidget* parent) {
    QPlainTextEdit* box = newMemo(parent);
    box->setFrameShape(QFrame::StyledPanel);
    box->setProperty("designedFrame", static_cast<int>(QFrame::StyledPanel));
    return box;
}

// The height a text needs in the memos, wrapped anywhere as they wrap it.
double textHeight(const QFont& base, const QString& text, int width, int pixelSize) {
    QFont font(base);
    font.setPixelSize(pixelSize);
    const QFontMetricsF metrics(font);
    return metrics.boundingRect(QRectF(0, 0, width, 1e6), Qt::TextWrapAnywhere, text).height();
}

// Puts text into the box whole: in smaller type when the window's doesn't
// hold it, then without the box's frame and margin if that makes the room,
// and scrolling only when not even that does.
void showWhole(QPlainTextEdit* box, const QString& text) {
    constexpr int kBase = 12, kSmallest = 7;
    const QFont base = box->parentWidget()->font();
    const auto frame = static_cast<QFrame::Shape>(box->property("designedFrame").toInt());
    FieldFit fit;
    for (const bool framed : {true, false}) {
        box->setFrameShape(framed ? frame : QFrame::NoFrame);
        box->document()->setDocumentMargin(framed ? 1 : 0);
        const double margin = box->document()->documentMargin();
        const QRect inside = box->contentsRect();
        // A pixel to spare each way for the cursor and rounding.
        const QSize room(inside.width() - static_cast<int>(2 * margin) - 2,
                         inside.height() - static_cast<int>(2 * margin) - 1);
        fit = fitField(text, room, kBase, kSmallest,
                       [&](const QString& t, int w, int px) { return textHeight(base, t, w, px); });
        if (!fit.scrolls) break;
    }
    QFont font(base);
    font.setPixelSize(fit.pixelSize);
    box->setFont(font);
    box->setVerticalScrollBarPolicy(fit.scrolls ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    box->setPlainText(text);
    box->moveCursor(QTextCursor::Start);
}

QFrame* newRule(QWidget* parent) {
    auto* rule = new QFrame(parent);
    rule->setFrameShape(QFrame::NoFrame);
    rule->setAutoFillBackground(true);
    QPalette palette = rule->palette();
    palette.setColor(QPalette::Window, Qt::black);
    rule->setPalette(palette);
    return rule;
}

QLabel* newImage(QWidget* parent) {
    auto* image = new QLabel(parent);
    // The padded box has the image's proportions, so stretching it keeps the
    // photo's own shape.
    image->setScaledContents(true);
    return image;
}

}  // namespace

QPointer<TForm6> TForm6::current_;

TForm6::TForm6(const prescription::PrescriptionSource& source, std::function<void()> printSheet,
               QWidget* parent)
    : QWidget(parent, Qt::Window), printSheet_(std::move(printSheet)) {
    // Closed previews stay alive with their owner; none is freed before the
    // program ends.
    setAttribute(Qt::WA_DeleteOnClose, false);
    current_ = this;
    buildControls();
    FormCreate(source);
}

TForm6::~TForm6() = default;

TForm6* TForm6::current() { return current_.data(); }

void TForm6::buildControls() {
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("Form6"));
    setFont(platform::windowFont(platform::kGothicFace, 12));
    move(kWindowPosition);
    resize(kClientSize);

    std::vector<std::pair<int, QWidget*>> tabStops;
    for (const ControlSpec& spec : previewControls()) {
        QWidget* control = createControl(spec);
        control->setObjectName(spec.name);
        control->setGeometry(spec.geometry);
        if (spec.tabOrder >= 0) tabStops.emplace_back(spec.tabOrder, control);
    }
    std::sort(tabStops.begin(), tabStops.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 1; i < tabStops.size(); ++i) {
        setTabOrder(tabStops[i - 1].second, tabStops[i].second);
    }
    connect(Button1, &QPushButton::clicked, this, &TForm6::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm6::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm6::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm6::Button4Click);
    // "終了" by the key that closes a message box.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &TForm6::Button2Click);
}

QWidget* TForm6::createControl(const ControlSpec& spec) {
    RowControls* row = spec.row >= 1 ? &rows_[static_cast<size_t>(spec.row - 1)] : nullptr;
    switch (spec.kind) {
        case ControlKind::Label: {
            auto* label = new QLabel(spec.caption, this);
            if (spec.name == QLatin1String("Label8")) {
                label->setAlignment(Qt::AlignCenter);
                Label8 = label;
            }
            return label;
        }
        case ControlKind::Shape:
            return newRule(this);
        case ControlKind::Button: {
            auto* button = new QPushButton(spec.caption, this);
            button->setAutoDefault(false);
            QPushButton** slot[] = {&Button1, &Button2, &Button3, &Button4};
            const int n = spec.name.mid(6).toInt();
            if (n >= 1 && n <= 4) *slot[n - 1] = button;
            return button;
        }
        case ControlKind::Image:
            return row->photo = newImage(this);
        case ControlKind::Edit: {
            QPlainTextEdit* edit = newEditBox(this);
            (spec.part == RowPart::Form ? row->form : row->package) = edit;
            return edit;
        }
        case ControlKind::Memo:
            break;
    }
    QPlainTextEdit* memo = newMemo(this);
    switch (spec.part) {
        case RowPart::Name:
            row->name = memo;
            break;
        case RowPart::Efficacy:
            row->efficacy = memo;
            break;
        case RowPart::Caution:
            row->caution = memo;
            break;
        default:
            row->usage = memo;
            // Row 4's usage memo was designed holding one empty line.
            memo->setPlainText(usageMemoText(spec.row, {}));
            break;
    }
    return memo;
}

void TForm6::FormCreate(const prescription::PrescriptionSource& source) {
    const qreal ratio = devicePixelRatioF();
    const QSize photoPixels(qCeil(kImageSize.width() * ratio), qCeil(kImageSize.height() * ratio));
    // Rows of camera photos can take seconds: after a moment a small window
    // tells how far the rows have got.
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<QProgressDialog> progress;
    const auto tell = [&](int done, int total) {
        if (!progress && clock.elapsed() < 400) return;
        if (!progress) {
            progress = std::make_unique<QProgressDialog>(QStringLiteral("プレビューを作成中です"),
                                                         QString(), 0, total);
            progress->setWindowTitle(QStringLiteral("プレビュー作成中"));
            progress->setCancelButton(nullptr);
            progress->setMinimumDuration(0);
            progress->show();
        }
        progress->setLabelText(
            QStringLiteral("プレビューを作成中です（%1 / %2 行）").arg(done).arg(total));
        progress->setValue(done);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    contents_ = buildPreviewRows(source, photoPixels, masterfile::kMasterFileName, tell);
    problemMessage_ = contents_.problemMessage();
    showPage(0);
}

int TForm6::pageCount() const {
    return preview::pageCount(static_cast<int>(contents_.rows.size()));
}

void TForm6::showPage(int page) {
    page_ = std::clamp(page, 0, pageCount() - 1);
    for (int row = 1; row <= kRowCount; ++row) {
        const size_t line = static_cast<size_t>(lineOnPage(page_, row));
        showRow(row, line <= contents_.rows.size() ? &contents_.rows[line - 1] : nullptr);
    }
    Label8->setText(pageLabel(page_, pageCount()));
    Button3->setEnabled(page_ > 0);
    Button4->setEnabled(page_ + 1 < pageCount());
}

void TForm6::showRow(int row, const PreviewRow* contents) {
    // A row past the prescription is empty, as designed.
    static const PreviewRow kEmpty;
    const PreviewRow& r = contents ? *contents : kEmpty;
    RowControls& c = rows_[static_cast<size_t>(row - 1)];
    showWhole(c.name, platform::toUnicode(r.name));
    showWhole(c.efficacy, platform::toUnicode(r.efficacy));
    showWhole(c.caution, platform::toUnicode(r.caution));
    showWhole(c.form, platform::toUnicode(r.form));
    showWhole(c.package, platform::toUnicode(r.package));
    if (r.photo.state == sheets::PhotoCell::State::Shown) {
        c.photo->setPixmap(QPixmap::fromImage(r.photo.box));
    } else {
        c.photo->clear();
    }
    showWhole(c.usage, usageMemoText(row, r.usage));
}

void TForm6::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (problemsTold_ || problemMessage_.isEmpty()) return;
    problemsTold_ = true;
    // Told once the window is on screen, so the user sees which rows it means.
    QTimer::singleShot(0, this, &TForm6::tellProblems);
}

void TForm6::tellProblems() { platform::showMessage(problemMessage_); }

void TForm6::Button1Click() {
    if (printSheet_) printSheet_();
}

void TForm6::setFitNotice(const QString& text) {
    if (!fitNotice_) {
        fitNotice_ = new QLabel(this);
        fitNotice_->setObjectName(QStringLiteral("fitNotice"));
        // Below the closing rule, where the window has room to spare.
        fitNotice_->setGeometry(8, 683, kClientSize.width() - 16, 20);
    }
    fitNotice_->setText(text);
    fitNotice_->setVisible(!text.isEmpty());
}

QString TForm6::fitNotice() const { return fitNotice_ ? fitNotice_->text() : QString(); }

void TForm6::Button2Click() { close(); }

void TForm6::Button3Click() { showPage(page_ - 1); }

void TForm6::Button4Click() { showPage(page_ + 1); }

}  // namespace dorimek::preview
