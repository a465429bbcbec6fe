#pragma once

#include <QDialog>

class QLabel;

namespace dorimek::report {

// The small window shown while a report is printed, with its cancel button.
// Not modal: the program stays usable while a sheet is produced.
class ReportProgressDialog : public QDialog {
    Q_OBJECT
  public:
    // caption: what is being made, as the window's title and first words.
    explicit ReportProgressDialog(QWidget* parent = nullptr,
                                  const QString& caption = QStringLiteral("印刷中"));

    void setProgress(int page, int row);

  signals:
    void cancelRequested();

  protected:
    void reject() override;

  private:
    QString caption_;
    QLabel* status_;
};

}  // namespace dorimek::report
