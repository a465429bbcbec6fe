#include "ReportProgressDialog.h"

#include "platform/FontMap.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace dorimek::report {

ReportProgressDialog::ReportProgressDialog(QWidget* parent, const QString& caption)
    : QDialog(parent), caption_(caption) {
    setObjectName(QStringLiteral("ReportProgressDialog"));
    setWindowTitle(caption_);
    setFont(platform::windowFont(platform::kGothicFace, 12));
    auto* layout = new QVBoxLayout(this);
    status_ = new QLabel(caption_, this);
    layout->addWidget(status_);
    auto* cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    layout->addWidget(cancel, 0, Qt::AlignHCenter);
    connect(cancel, &QPushButton::clicked, this, &ReportProgressDialog::reject);
    setMinimumWidth(220);
}

void ReportProgressDialog::setProgress(int page, int row) {
    status_->setText(QStringLiteral("%1 ページ目  %2 行目を作成中").arg(page).arg(row));
}

void ReportProgressDialog::reject() {
    // Closing the window counts as cancelling; the run decides when it stops.
    emit cancelRequested();
    status_->setText(QStringLiteral("中止しています..."));
}

}  // namespace dorimek::report
