#pragma once

#include "Result.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <map>
#include <optional>

namespace dorimek::platform {

// The printing API's paper code for JIS B5, 182 x 257 mm.
constexpr std::int16_t kPaperJisB5 = 13;

// Told when the print spooler doesn't answer: nothing can print, whatever
// printers were set up.
inline const QString kSpoolerUnavailable = QStringLiteral(
    "印刷の仕組み（CUPS）が動いていないため、どのプリンタにも印刷できません。\n"
    "パソコンを再起動するか、管理者に CUPS の起動を頼んでください。");

// The part of a printer's device mode the program touches.
struct DeviceMode {
    std::int16_t dmPaperSize = 0;
};

// The installed printers, seen through the print spooler (CUPS). A printer is
// known by its index in the list, which is sorted by name and so stable while
// the set of queues stays the same; -1 stands for the default printer.
class PrinterService {
public:
    static PrinterService& instance();

    // Reads the list of queues and the default queue from the spooler again.
    void refresh();
    // False when the last refresh() couldn't reach the spooler at all: then
    // printing is unavailable, which is not the same as no printer installed.
    bool spoolerReachable() const { return reachable_; }

    const QStringList& printers() const { return printers_; }
    int printerCount() const { return static_cast<int>(printers_.size()); }
    QString defaultPrinterName() const { return defaultPrinter_; }

    // The default-device entry, "name,driver,port", of the default printer.
    // nullopt when there is no default printer; *error then holds the reason.
    std::optional<QString> defaultDeviceEntry(QString* error = nullptr) const;

    // Makes index the current printer. -1 selects the default printer. False,
    // and the current printer unchanged, when index names no installed printer.
    bool setCurrentIndex(int index);
    int currentIndex() const { return currentIndex_; }

    // The queue name for a printer index (-1: the default printer); empty when
    // the index names no installed printer.
    QString nameForIndex(int index) const;

    struct Current {
        QString device;
        QString driver;
        QString port;
    };
    // Device, driver and port of the current printer; nullopt without printers.
    std::optional<Current> current() const;

    // The current printer's device mode, or nullptr when there is no printer
    // to lock. Changes through the pointer take effect on unlock.
    DeviceMode* lockDeviceMode();
    void unlockDeviceMode();

    // What the spooler tells of a queue, for the printer setup to show.
    struct Properties {
        QString model;     // make and model of the printer
        QString location;
        QString state;     // in Japanese: waiting, printing, stopped; empty when unknown
        bool acceptingJobs = true;
    };
    // Empty fields for a queue the spooler doesn't know (or no spooler).
    Properties properties(const QString& printer) const;

    // The paper code kept for a queue (0 when the program never set one).
    std::int16_t paperSizeOf(const QString& printer) const;

    // What a print job asks the spooler for besides its document. The paper
    // is JIS B5 unless the queue has none (QueuePaper::jobMedia), and the
    // sides are always asked for: a queue whose default is two-sided must
    // not print a two-page sheet back to back.
    struct JobOptions {
        int copies = 1;
        bool duplex = false;  // false: one-sided
        QString media = QStringLiteral("media=jis_b5_182x257mm");  // "name=value"
    };
    struct SubmittedJob {
        int id = 0;
        // Empty when the job is on its way to paper; otherwise why it isn't
        // (the queue is stopped, the job is held), for the user.
        QString notPrintingNow;
    };
    // Sends a finished PDF file to a queue. The error names the printer and
    // the spooler's reason, and says whether the spooler is down, the queue
    // unknown or refusing. After the spooler took the job, the queue and the
    // job are looked at once, so a sheet that will wait is told about.
    Result<SubmittedJob> submitPdf(const QString& printer, const QString& pdfPath,
                                   const QString& title, const JobOptions& options) const;
    // The options of a job as the spooler gets them, name=value each.
    static QStringList jobOptionTexts(const JobOptions& options);

    // Where a job stands, for following it the first seconds after sending:
    // a spooler or printer that refuses a job's paper or options does so then.
    struct JobFate {
        bool done = false;     // printed, or refused: nothing more will happen
        bool refused = false;  // stopped, canceled or aborted, not by us
        bool kept = false;     // refused by stopping: it prints once the queue runs again
        QString reason;        // the spooler's or printer's word, when given
    };
    static JobFate jobFate(const QString& printer, int jobId);
    // What the user is told of a refused job.
    static QString refusedText(const QString& printer, const JobFate& fate);
    // What the user is told of a job that waits: its queue is stopped, or
    // the job itself is held.
    static QString stoppedQueueText(const QString& printer);
    static QString heldJobText(const QString& printer);

  private:
    PrinterService();
    // How a stopped queue is started again, where the system has a command
    // for it the staff may be told; empty where not.
    static QString resumeHint(const QString& printer);

    QStringList printers_;
    QString defaultPrinter_;
    int currentIndex_ = -1;
    bool reachable_ = true;
    std::map<QString, DeviceMode> modes_;
    DeviceMode locked_;
    QString lockedName_;
};

}  // namespace dorimek::platform
