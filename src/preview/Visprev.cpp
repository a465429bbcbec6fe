#include "Visprev.h"

#include "PreviewRows.h"
#include "platform/FontMap.h"
#include "platform/Messages.h"
#include "platform/Sjis.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QtMath>

#include <algorithm>
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
    return memo;
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
}

QWidget* TForm6::createControl(const ControlSpec& spec) {
    RowControls* row = spec.row >= 1 ? &rows_[static_cast<size_t>(spec.row - 1)] : nullptr;
    switch (spec.kind) {
        case ControlKind::Label:
            return new QLabel(spec.caption, this);
        case ControlKind::Shape:
            return newRule(this);
        case ControlKind::Button: {
            auto* button = new QPushButton(spec.caption, this);
            button->setAutoDefault(false);
            (spec.name == QLatin1String("Button1") ? Button1 : Button2) = button;
            return button;
        }
        case ControlKind::Image:
            return row->photo = newImage(this);
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(this);
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
    const PreviewRows contents = buildPreviewRows(source, photoPixels);
    for (int row = 1; row <= kRowCount; ++row) {
        showRow(row, contents.rows[static_cast<size_t>(row - 1)]);
    }
    problemMessage_ = contents.problemMessage();
}

void TForm6::showRow(int row, const PreviewRow& contents) {
    if (contents.line == 0) return;  // past the prescription: stays as designed
    RowControls& c = rows_[static_cast<size_t>(row - 1)];
    c.name->setPlainText(platform::toUnicode(contents.name));
    c.efficacy->setPlainText(platform::toUnicode(contents.efficacy));
    c.caution->setPlainText(platform::toUnicode(contents.caution));
    c.form->setText(platform::toUnicode(contents.form));
    c.package->setText(platform::toUnicode(contents.package));
    if (contents.photo.state == sheets::PhotoCell::State::Shown) {
        QPixmap pixmap = QPixmap::fromImage(contents.photo.box);
        c.photo->setPixmap(pixmap);
    } else {
        c.photo->clear();
    }
    c.usage->setPlainText(usageMemoText(row, contents.usage));
    // Show each control's text from its start, as a freshly filled memo does.
    for (QPlainTextEdit* memo : {c.name, c.efficacy, c.caution, c.usage}) {
        memo->moveCursor(QTextCursor::Start);
    }
    c.form->setCursorPosition(0);
    c.package->setCursorPosition(0);
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

void TForm6::Button2Click() { close(); }

}  // namespace dorimek::preview
