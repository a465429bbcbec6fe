#include "PrinterChooserDialog.h"

#include "platform/FontMap.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>

namespace dorimek::report {

PrinterChooserDialog::PrinterChooserDialog(const QStringList& printers, const QString& defaultName,
                                           int printerIndex, int copies, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("PrinterChooserDialog"));
    setWindowTitle(QStringLiteral("プリンタの設定"));
    setFont(platform::windowFont(platform::kGothicFace, 12));
    auto* form = new QFormLayout(this);

    printers_ = new QComboBox(this);
    printers_->setObjectName(QStringLiteral("printerCombo"));
    printers_->addItem(defaultEntry(defaultName), -1);
    for (int i = 0; i < printers.size(); ++i) printers_->addItem(printers.at(i), i);
    const int row = printers_->findData(printerIndex);
    printers_->setCurrentIndex(row >= 0 ? row : 0);
    form->addRow(QStringLiteral("プリンタ名"), printers_);

    copies_ = new QSpinBox(this);
    copies_->setObjectName(QStringLiteral("copiesSpin"));
    copies_->setRange(1, 99);
    copies_->setValue(copies > 0 ? copies : 1);
    form->addRow(QStringLiteral("部数"), copies_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

int PrinterChooserDialog::printerIndex() const { return printers_->currentData().toInt(); }

int PrinterChooserDialog::copies() const { return copies_->value(); }

QString PrinterChooserDialog::defaultEntry(const QString& defaultName) {
    return defaultName.isEmpty() ? QStringLiteral("通常使うプリンタ (未設定)")
                                 : QStringLiteral("通常使うプリンタ (%1)").arg(defaultName);
}

}  // namespace dorimek::report
