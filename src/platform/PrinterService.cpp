#include "PrinterService.h"

#include <QFile>

#include <cups/cups.h>

#include <cstdlib>

namespace dorimek::platform {

namespace {

// Whether anything answers where libcups would send its requests. Asked only
// when the list came back empty: an empty list from a running spooler means
// no printer installed, from none at all that printing is unavailable.
bool spoolerAnswers() {
    http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                5000, nullptr);
    if (!http) return false;
    httpClose(http);
    return true;
}

struct JobStatus {
    int state = 0;  // 0 when the spooler doesn't say
    QString message;
};

// The state of one job and the last word of the printer on it.
JobStatus jobStatus(int jobId) {
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0,
                     "/jobs/%d", jobId);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    static const char* const wanted[] = {"job-state", "job-printer-state-message"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr,
                  wanted);
    ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    JobStatus status;
    if (ipp_attribute_t* a = ippFindAttribute(response, "job-state", IPP_TAG_ENUM)) {
        status.state = ippGetInteger(a, 0);
    }
    if (ipp_attribute_t* a =
            ippFindAttribute(response, "job-printer-state-message", IPP_TAG_ZERO)) {
        status.message = QString::fromUtf8(ippGetString(a, 0, nullptr)).trimmed();
    }
    ippDelete(response);
    return status;
}

int jobState(int jobId) { return jobStatus(jobId).state; }

// The kind of a failure at submission: the spooler gone, the queue gone, or
// the queue refusing (not accepting jobs, or the job's options).
ErrorKind submitFailureKind(const QString& printer) {
    if (!spoolerAnswers()) return ErrorKind::SpoolerDown;
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, printer.toUtf8().constData(), nullptr);
    if (!dest) return ErrorKind::NoPrinter;
    cupsFreeDests(1, dest);
    return ErrorKind::PrinterRefused;
}

// The queue's state as its destination entry gives it, or 0.
int queueState(const QString& printer) {
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, printer.toUtf8().constData(), nullptr);
    if (!dest) return 0;
    const char* state = cupsGetOption("printer-state", dest->num_options, dest->options);
    const int value = state ? std::atoi(state) : 0;
    cupsFreeDests(1, dest);
    return value;
}

}  // namespace

void PrinterService::refresh() {
    printers_.clear();
    defaultPrinter_.clear();
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    reachable_ = count > 0 || spoolerAnswers();
    for (int i = 0; i < count; ++i) {
        if (dests[i].instance) continue;  // instances are option presets of a queue
        const QString name = QString::fromUtf8(dests[i].name);
        printers_.append(name);
        if (dests[i].is_default) defaultPrinter_ = name;
    }
    cupsFreeDests(count, dests);
    printers_.sort();
    if (currentIndex_ >= printerCount()) currentIndex_ = -1;
}

std::optional<QString> PrinterService::defaultDeviceEntry(QString* error) const {
    if (defaultPrinter_.isEmpty()) {
        if (error) *error = QStringLiteral("通常使うプリンタが設定されていません。");
        return std::nullopt;
    }
    QString port = defaultPrinter_;
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    if (cups_dest_t* d = cupsGetDest(defaultPrinter_.toUtf8().constData(), nullptr, count, dests)) {
        if (const char* uri = cupsGetOption("device-uri", d->num_options, d->options)) {
            port = QString::fromUtf8(uri);
        }
    }
    cupsFreeDests(count, dests);
    return defaultPrinter_ + QStringLiteral(",CUPS,") + port;
}

std::optional<PrinterService::Current> PrinterService::current() const {
    const QString name = nameForIndex(currentIndex_);
    if (name.isEmpty()) return std::nullopt;
    return Current{name, QStringLiteral("CUPS"), name};
}

PrinterService::Properties PrinterService::properties(const QString& printer) const {
    Properties p;
    if (printer.isEmpty()) return p;
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    if (cups_dest_t* d = cupsGetDest(printer.toUtf8().constData(), nullptr, count, dests)) {
        auto option = [d](const char* name) {
            return QString::fromUtf8(cupsGetOption(name, d->num_options, d->options));
        };
        p.model = option("printer-make-and-model");
        p.location = option("printer-location");
        const QString state = option("printer-state");
        if (state == QLatin1String("3")) p.state = QStringLiteral("待機中");
        if (state == QLatin1String("4")) p.state = QStringLiteral("印刷中");
        if (state == QLatin1String("5")) p.state = QStringLiteral("停止中");
        p.acceptingJobs = option("printer-is-accepting-jobs") != QLatin1String("false");
    }
    cupsFreeDests(count, dests);
    return p;
}

Result<PrinterService::SubmittedJob> PrinterService::submitPdf(const QString& printer,
                                                               const QString& pdfPath,
                                                               const QString& title,
                                                               const JobOptions& jobOptions) const {
    using R = Result<SubmittedJob>;
    if (printer.isEmpty()) {
        return R::failure(QStringLiteral("プリンタがありません。印刷できませんでした。"),
                          ErrorKind::NoPrinter);
    }
    cups_option_t* options = nullptr;
    int numOptions = 0;
    for (const QString& text : jobOptionTexts(jobOptions)) {
        const QByteArray option = text.toUtf8();
        const qsizetype eq = option.indexOf('=');
        numOptions = cupsAddOption(option.left(eq).constData(), option.mid(eq + 1).constData(),
                                   numOptions, &options);
    }
    numOptions = cupsAddOption("document-format", "application/pdf", numOptions, &options);
    const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, printer.toUtf8().constData(),
                                   QFile::encodeName(pdfPath).constData(), title.toUtf8().constData(),
                                   numOptions, options);
    cupsFreeOptions(numOptions, options);
    if (job <= 0) {
        const QString why = QString::fromUtf8(cupsLastErrorString());
        return R::failure(
            QStringLiteral("プリンタ %1 が印刷を受け付けませんでした: %2").arg(printer, why),
            submitFailureKind(printer));
    }
    SubmittedJob submitted;
    submitted.id = job;
    // A stopped queue takes jobs and keeps them: the sheet may come out after
    // the patient has left, so the user must hear it now.
    if (queueState(printer) == IPP_PSTATE_STOPPED) {
        submitted.notPrintingNow = stoppedQueueText(printer);
    } else if (jobState(job) == IPP_JSTATE_HELD) {
        submitted.notPrintingNow = heldJobText(printer);
    }
    return submitted;
}

PrinterService::JobFate PrinterService::jobFate(const QString& printer, int jobId) {
    const JobStatus status = jobStatus(jobId);
    JobFate fate;
    switch (status.state) {
        case IPP_JSTATE_COMPLETED:
            fate.done = true;
            break;
        case IPP_JSTATE_STOPPED:
            fate.done = fate.refused = fate.kept = true;
            break;
        case IPP_JSTATE_CANCELED:
        case IPP_JSTATE_ABORTED:
            fate.done = fate.refused = true;
            break;
        default:
            // Waiting behind a queue that the printer's backend stopped is
            // refused as well: it won't print until someone mends the queue.
            if (queueState(printer) == IPP_PSTATE_STOPPED) fate.done = fate.refused = fate.kept = true;
            break;
    }
    if (fate.refused) fate.reason = status.message;
    return fate;
}

QString PrinterService::resumeHint(const QString& printer) {
    return QStringLiteral("（cupsenable %1）").arg(printer);
}

}  // namespace dorimek::platform
