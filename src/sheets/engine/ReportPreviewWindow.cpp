#include "ReportPreviewWindow.h"

#include "PrinterChooserDialog.h"
#include "ReportRenderer.h"
#include "TReport.h"
#include "platform/FontMap.h"
#include "platform/Messages.h"
#include "platform/PrinterService.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cmath>

namespace dorimek::report {
namespace {

constexpr std::array kZoomSteps = {25, 50, 75, 100, 125, 150, 200, 300, 400};
constexpr int kViewportMargin = 24;  // room around the page and for a scroll bar

}  // namespace

ReportPreviewWindow::ReportPreviewWindow(TReport& report,
                                         std::shared_ptr<const ReportDocument> document,
                                         QWidget* parent)
    : QWidget(parent, Qt::Window), report_(report), document_(std::move(document)) {
    setObjectName(QStringLiteral("ReportPreviewWindow"));
    setWindowTitle(QStringLiteral("印刷プレビュー"));
    setFont(platform::windowFont(platform::kGothicFace, 12));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);

    toolbar_ = new QWidget(this);
    auto* bar = new QHBoxLayout(toolbar_);
    bar->setContentsMargins(0, 0, 0, 0);
    connect(addButton(QStringLiteral("ページ全体"), "fitPageButton"), &QPushButton::clicked, this,
            [this] { setZoom(Zoom::FitPage); });
    connect(addButton(QStringLiteral("ページ幅"), "fitWidthButton"), &QPushButton::clicked, this,
            [this] { setZoom(Zoom::FitWidth); });
    connect(addButton(QStringLiteral("100%"), "actualSizeButton"), &QPushButton::clicked, this,
            [this] { setZoom(Zoom::Percent, 100); });
    connect(addButton(QStringLiteral("縮小"), "zoomOutButton"), &QPushButton::clicked, this,
            [this] {
                auto it = std::find_if(kZoomSteps.rbegin(), kZoomSteps.rend(),
                                       [this](int z) { return z < percent_; });
                setZoom(Zoom::Percent, it == kZoomSteps.rend() ? kZoomSteps.front() : *it);
            });
    connect(addButton(QStringLiteral("拡大"), "zoomInButton"), &QPushButton::clicked, this, [this] {
        auto it = std::find_if(kZoomSteps.begin(), kZoomSteps.end(),
                               [this](int z) { return z > percent_; });
        setZoom(Zoom::Percent, it == kZoomSteps.end() ? kZoomSteps.back() : *it);
    });
    connect(addButton(QStringLiteral("|<"), "firstPageButton"), &QPushButton::clicked, this,
            [this] { showPage(0); });
    connect(addButton(QStringLiteral("<"), "previousPageButton"), &QPushButton::clicked, this,
            [this] { showPage(page_ - 1); });
    pageLabel_ = new QLabel(toolbar_);
    pageLabel_->setObjectName(QStringLiteral("pageLabel"));
    bar->addWidget(pageLabel_);
    connect(addButton(QStringLiteral(">"), "nextPageButton"), &QPushButton::clicked, this,
            [this] { showPage(page_ + 1); });
    connect(addButton(QStringLiteral(">|"), "lastPageButton"), &QPushButton::clicked, this,
            [this] { showPage(document_->pageCount() - 1); });
    connect(addButton(QStringLiteral("プリンタ設定"), "printerSetupButton"), &QPushButton::clicked,
            this, &ReportPreviewWindow::setupPrinter);
    connect(addButton(QStringLiteral("印刷"), "printButton"), &QPushButton::clicked, this,
            &ReportPreviewWindow::printAgain);
    connect(addButton(QStringLiteral("PDF保存"), "saveButton"), &QPushButton::clicked, this,
            &ReportPreviewWindow::saveAsPdf);
    bar->addStretch();
    connect(addButton(QStringLiteral("閉じる(&C)"), "closeButton"), &QPushButton::clicked, this,
            &QWidget::close);
    layout->addWidget(toolbar_);

    // The page below is drawn as it will print, reduced where the printer
    // can't reach the edge; the user hears why it looks smaller.
    if (const QString notice = document_->fit.notice(); !notice.isEmpty()) {
        auto* fitNotice = new QLabel(notice, this);
        fitNotice->setObjectName(QStringLiteral("fitNotice"));
        layout->addWidget(fitNotice);
    }

    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("pageScroll"));
    scroll_->setAlignment(Qt::AlignCenter);
    scroll_->setBackgroundRole(QPalette::Dark);
    pageView_ = new QLabel;
    pageView_->setObjectName(QStringLiteral("pageView"));
    scroll_->setWidget(pageView_);
    layout->addWidget(scroll_, 1);

    new QShortcut(QKeySequence(Qt::Key_PageDown), this, [this] { showPage(page_ + 1); });
    new QShortcut(QKeySequence(Qt::Key_PageUp), this, [this] { showPage(page_ - 1); });
    // Closes the preview as Escape closes a message box.
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close);

    resize(760, 900);
    render();
}

ReportPreviewWindow::~ReportPreviewWindow() = default;

QPushButton* ReportPreviewWindow::addButton(const QString& text, const char* objectName) {
    auto* button = new QPushButton(text, toolbar_);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAutoDefault(false);
    toolbar_->layout()->addWidget(button);
    return button;
}

void ReportPreviewWindow::exec() {
    QEventLoop loop;
    connect(this, &ReportPreviewWindow::closed, &loop, &QEventLoop::quit);
    if (QCoreApplication* app = QCoreApplication::instance()) {
        connect(app, &QCoreApplication::aboutToQuit, &loop, &QEventLoop::quit);
    }
    show();
    raise();
    activateWindow();
    loop.exec();
}

void ReportPreviewWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closed();
}

void ReportPreviewWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (zoom_ != Zoom::Percent) render();
}

void ReportPreviewWindow::showPage(int page) {
    page_ = std::clamp(page, 0, std::max(0, document_->pageCount() - 1));
    render();
}

void ReportPreviewWindow::setZoom(Zoom mode, int percent) {
    zoom_ = mode;
    percent_ = percent;
    render();
}

int ReportPreviewWindow::zoomFor(Zoom mode, int percent, const QSizeF& pageSize,
                                 const QSize& viewport, double screenDpi) {
    if (mode == Zoom::Percent) return std::clamp(percent, kZoomSteps.front(), kZoomSteps.back());
    const double pageW = pageSize.width() / kTenthsPerInch * screenDpi;
    const double pageH = pageSize.height() / kTenthsPerInch * screenDpi;
    if (pageW <= 0 || pageH <= 0) return 100;
    const double w = std::max(1, viewport.width() - kViewportMargin) / pageW;
    const double h = std::max(1, viewport.height() - kViewportMargin) / pageH;
    const double scale = mode == Zoom::FitPage ? std::min(w, h) : w;
    return std::clamp(static_cast<int>(std::floor(scale * 100)), 10, kZoomSteps.back());
}

void ReportPreviewWindow::render() {
    const int count = document_->pageCount();
    pageLabel_->setText(QStringLiteral(" %1 / %2 ページ ").arg(count ? page_ + 1 : 0).arg(count));
    const double screenDpi = logicalDpiY() > 0 ? logicalDpiY() : 96;
    percent_ = zoomFor(zoom_, percent_,
                       document_->fit.paperFor(QSizeF(document_->pageWidth, document_->pageLength)),
                       scroll_->viewport()->size(), screenDpi);
    const QImage image =
        ReportRenderer::renderImage(*document_, page_, screenDpi * percent_ / 100.0);
    pageView_->setPixmap(QPixmap::fromImage(image));
    pageView_->resize(image.size());
}

void ReportPreviewWindow::setupPrinter() {
    platform::PrinterService& service = platform::PrinterService::instance();
    PrinterChooserDialog dialog(service.printers(), service.defaultPrinterName(),
                                report_.PrinterSettings.PrinterIndex,
                                report_.PrinterSettings.Copies, this);
    if (dialog.exec() != QDialog::Accepted) return;
    report_.PrinterSettings.PrinterIndex = dialog.printerIndex();
    report_.PrinterSettings.Copies = dialog.copies();
}

void ReportPreviewWindow::printAgain() {
    // A new run: the sheet reads the prescription as it is now.
    report_.Print();
}

void ReportPreviewWindow::saveAsPdf() {
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("PDF ファイルに保存"),
                                                QString(), QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty()) return;
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) path += QStringLiteral(".pdf");
    const Status s = ReportRenderer::writePdf(*document_, path, report_.Title);
    if (!s) platform::showMessage(s.error());
}

}  // namespace dorimek::report
