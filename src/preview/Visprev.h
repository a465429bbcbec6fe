#pragma once

#include "PreviewLayout.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QShowEvent;

namespace dorimek::prescription {
class PrescriptionSource;
}

namespace dorimek::preview {

struct PreviewRow;
struct PreviewRows;

// The on-screen preview of the sheet's rows: the first seven prescription
// lines in a fixed grid of controls, filled once when the window is created.
// It doesn't follow later changes of the prescription or the master file;
// every preview command opens a new one, and several may be open at once.
// What the user types into its controls is never used.
class TForm6 : public QWidget {
    Q_OBJECT

  public:
    // printSheet prints the real sheet in the style checked on the main window
    // at the moment "印刷" is clicked. With a parent the preview is still a
    // window of its own; the parent only keeps it alive until the program ends.
    TForm6(const prescription::PrescriptionSource& source, std::function<void()> printSheet,
           QWidget* parent = nullptr);
    ~TForm6() override;

    // The preview opened last (null once it has been destroyed).
    static TForm6* current();

    // The message about photos or records that couldn't be shown, told once
    // when the window first appears; empty when everything could be shown.
    const QString& problemMessage() const { return problemMessage_; }

    QPushButton* Button1 = nullptr;  // 印刷
    QPushButton* Button2 = nullptr;  // 終了

  public slots:
    void Button1Click();
    void Button2Click();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    struct RowControls {
        QPlainTextEdit* name = nullptr;
        QPlainTextEdit* efficacy = nullptr;
        QPlainTextEdit* caution = nullptr;
        QLineEdit* form = nullptr;
        QLineEdit* package = nullptr;
        QLabel* photo = nullptr;
        QPlainTextEdit* usage = nullptr;
    };

    void buildControls();
    QWidget* createControl(const ControlSpec& spec);
    void FormCreate(const prescription::PrescriptionSource& source);
    void showRow(int row, const PreviewRow& contents);
    void tellProblems();

    std::function<void()> printSheet_;
    std::array<RowControls, kRowCount> rows_{};
    QString problemMessage_;
    bool problemsTold_ = false;

    static QPointer<TForm6> current_;
};

}  // namespace dorimek::preview
