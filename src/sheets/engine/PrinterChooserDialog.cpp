#include "PrinterChooserDialog.h"

#include "platform/FontMap.h"
#include "platform/PrinterService.h"
#include "platform/QueuePaper.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>

namespace dorimek::report {
namespace {

QString orDash(const QString& text) { return text.isEmpty() ? QStringLiteral("－") : text; }

}  // namespace

PrinterChooserDialog::PrinterChooserDialog(const QStringList& printers, const QString& defaultName,
                                           int printerIndex, std::optional<int> copies,
                                           QWidget* parent)
    : QDialog(parent), printers_(printers), defaultName_(defaultName) {
    setObjectName(QStringLiteral("PrinterChooserDialog"));
    setWindowTitle(QStringLiteral("プリンタの設定"));
    setFont(platform::windowFont(platform::kGothicFace, 12));
    auto* form = new QFormLayout(this);

    printerCombo_ = new QComboBox(this);
    printerCombo_->setObjectName(QStringLiteral("printerCombo"));
    printerCombo_->addItem(defaultEntry(defaultName), -1);
    for (int i = 0; i < printers.size(); ++i) printerCombo_->addItem(printers.at(i), i);
    const int row = printerCombo_->findData(printerIndex);
    printerCombo_->setCurrentIndex(row >= 0 ? row : 0);
    form->addRow(QStringLiteral("プリンタ名"), printerCombo_);

    state_ = new QLabel(this);
    state_->setObjectName(QStringLiteral("stateLabel"));
    form->addRow(QStringLiteral("状態"), state_);
    model_ = new QLabel(this);
    model_->setObjectName(QStringLiteral("modelLabel"));
    form->addRow(QStringLiteral("機種"), model_);
    location_ = new QLabel(this);
    location_->setObjectName(QStringLiteral("locationLabel"));
    form->addRow(QStringLiteral("場所"), location_);
    paper_ = new QLabel(this);
    paper_->setObjectName(QStringLiteral("paperLabel"));
    paper_->setWordWrap(true);
    form->addRow(QStringLiteral("用紙"), paper_);

    if (copies) {
        copies_ = new QSpinBox(this);
        copies_->setObjectName(QStringLiteral("copiesSpin"));
        copies_->setRange(1, 99);
        copies_->setValue(*copies > 0 ? *copies : 1);
        form->addRow(QStringLiteral("部数"), copies_);
    }

    // Qt's own OK / Cancel, so they read as every other standard button does.
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);

    connect(printerCombo_, &QComboBox::currentIndexChanged, this,
            &PrinterChooserDialog::showProperties);
    showProperties();
}

int PrinterChooserDialog::printerIndex() const { return printerCombo_->currentData().toInt(); }

int PrinterChooserDialog::copies() const { return copies_ ? copies_->value() : 1; }

QString PrinterChooserDialog::defaultEntry(const QString& defaultName) {
    return defaultName.isEmpty() ? QStringLiteral("通常使うプリンタ (未設定)")
                                 : QStringLiteral("通常使うプリンタ (%1)").arg(defaultName);
}

void PrinterChooserDialog::showProperties() {
    const int index = printerIndex();
    const QString name = index >= 0 && index < printers_.size() ? printers_.at(index) : defaultName_;
    const platform::PrinterService::Properties p =
        platform::PrinterService::instance().properties(name);
    QString state = p.state;
    if (!p.acceptingJobs) state += QStringLiteral("（印刷を受け付けていません）");
    state_->setText(orDash(state));
    model_->setText(orDash(p.model));
    location_->setText(orDash(p.location));
    const platform::QueuePaper paper = platform::QueuePaper::of(name);
    paper_->setText(paperText(paper));
}

QString PrinterChooserDialog::paperText(const platform::QueuePaper& paper) {
    static const QString b5 = QStringLiteral("JIS B5 (182 × 257 mm) 縦");
    if (paper.known && !paper.jisB5) {
        return QStringLiteral("このプリンタは B5（JIS）に対応していません。%1 の用紙に印刷されます")
            .arg(paper.paperInstead);
    }
    return b5;
}

}  // namespace dorimek::report
