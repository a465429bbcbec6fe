#pragma once

#include "ReportDocument.h"

#include <QSizeF>
#include <QWidget>

#include <memory>

class QLabel;
class QScrollArea;
class QPushButton;

namespace dorimek::report {

class TReport;

// The engine's own preview: one page at a time, zoom, page navigation,
// printer setup, print (a new run) and save as PDF. Not modal.
class ReportPreviewWindow : public QWidget {
    Q_OBJECT
  public:
    enum class Zoom { FitPage, FitWidth, Percent };

    ReportPreviewWindow(TReport& report, std::shared_ptr<const ReportDocument> document,
                        QWidget* parent = nullptr);
    ~ReportPreviewWindow() override;

    // Shows the window and returns when it has been closed or the program is
    // ending; other windows stay usable meanwhile.
    void exec();

    int currentPage() const { return page_; }  // 0-based
    void showPage(int page);
    void setZoom(Zoom mode, int percent = 100);
    int zoomPercent() const { return percent_; }
    const ReportDocument& document() const { return *document_; }

    // The zoom in percent (of true size) for a mode, for a page of pageSize
    // (tenths of a millimetre) in a viewport of viewport pixels at screenDpi.
    static int zoomFor(Zoom mode, int percent, const QSizeF& pageSize, const QSize& viewport,
                       double screenDpi);

  signals:
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    QPushButton* addButton(const QString& text, const char* objectName);
    void render();
    void setupPrinter();
    void printAgain();
    void saveAsPdf();

    TReport& report_;
    std::shared_ptr<const ReportDocument> document_;
    int page_ = 0;
    Zoom zoom_ = Zoom::FitWidth;
    int percent_ = 100;
    QWidget* toolbar_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QLabel* pageView_ = nullptr;
    QLabel* pageLabel_ = nullptr;
};

}  // namespace dorimek::report
