#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QSpinBox;

namespace dorimek::report {

// The engine's printer setup: which installed printer, how many copies. The
// paper is always JIS B5 portrait, so there is nothing else to choose.
class PrinterChooserDialog : public QDialog {
    Q_OBJECT
  public:
    // printers: the installed queues by index; defaultName: the default one.
    PrinterChooserDialog(const QStringList& printers, const QString& defaultName, int printerIndex,
                         int copies, QWidget* parent = nullptr);

    // -1 for the default printer, else an index into printers.
    int printerIndex() const;
    int copies() const;

    // The entry shown for the default printer.
    static QString defaultEntry(const QString& defaultName);

  private:
    QComboBox* printers_;
    QSpinBox* copies_;
};

}  // namespace dorimek::report
