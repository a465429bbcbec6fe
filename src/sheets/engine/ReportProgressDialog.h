#pragma once

#include <QDialog>

class QLabel;

namespace dorimek::report {

// The small window shown while a report is printed, with its cancel button.
// Not modal: the program stays usable while a sheet is produced.
class ReportProgressDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ReportProgressDialog(QWidget* parent = nullptr);

    void setProgress(int page, int row);

  signals:
    void cancelRequested();

  protected:
    void reject() override;

  private:
    QLabel* status_;
};

}  // namespace dorimek::report
