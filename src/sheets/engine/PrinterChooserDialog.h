#pragma once

#include <QDialog>
#include <QStringList>

#include <optional>

class QComboBox;
class QLabel;
class QSpinBox;

namespace dorimek::platform {
struct QueuePaper;
}

namespace dorimek::report {

// The printer setup: which installed printer, what the spooler says of it,
// and (for a report) how many copies. OK keeps the choice, キャンセル drops
// it; nothing is printed from here. The paper is always JIS B5 portrait, so
// it is shown, not chosen.
class PrinterChooserDialog : public QDialog {
    Q_OBJECT
  public:
    // printers: the installed queues by index; defaultName: the default one.
    // Without copies the dialog has no copies field (the main window's setup
    // has nowhere to keep them).
    PrinterChooserDialog(const QStringList& printers, const QString& defaultName, int printerIndex,
                         std::optional<int> copies, QWidget* parent = nullptr);

    // -1 for the default printer, else an index into printers.
    int printerIndex() const;
    int copies() const;

    // The entry shown for the default printer.
    static QString defaultEntry(const QString& defaultName);
    // What the paper line says for what the spooler tells of a queue.
    static QString paperText(const platform::QueuePaper& paper);

  private:
    void showProperties();

    QStringList printers_;
    QString defaultName_;
    QComboBox* printerCombo_;
    QSpinBox* copies_ = nullptr;
    QLabel* state_;
    QLabel* model_;
    QLabel* location_;
    QLabel* paper_;
};

}  // namespace dorimek::report
