#include "QueuePaper.h"

#include <cups/cups.h>

#include <cmath>

namespace dorimek::platform {
namespace {

constexpr char kJisB5[] = "jis_b5_182x257mm";

// A size the spooler matched by name must also be the sheet's size: a queue
// may answer a near size for a name it doesn't know.
bool holdsJisB5(const cups_size_t& size) {
    return std::abs(size.width - 18200) <= 100 && std::abs(size.length - 25700) <= 100;
}

}  // namespace

QString QueuePaper::displayName(const QString& pwgName, int width, int length) {
    struct Known {
        const char* prefix;
        const char* name;
    };
    static const Known known[] = {
        {"na_letter_", "US レター"}, {"na_legal_", "US リーガル"}, {"iso_a4_", "A4"},
        {"iso_a5_", "A5"},          {"iso_a3_", "A3"},           {"iso_b5_", "ISO B5"},
        {"jis_b4_", "B4"},          {"na_executive_", "エグゼクティブ"},
    };
    QString name;
    for (const Known& k : known) {
        if (pwgName.startsWith(QLatin1String(k.prefix))) name = QString::fromUtf8(k.name);
    }
    const QString size = QStringLiteral("%1 × %2 mm")
                             .arg(std::lround(width / 100.0))
                             .arg(std::lround(length / 100.0));
    if (name.isEmpty()) return size;
    return QStringLiteral("%1（%2）").arg(name, size);
}

QueuePaper QueuePaper::of(const QString& printer) {
    QueuePaper paper;
    if (printer.isEmpty()) return paper;
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, printer.toUtf8().constData(), nullptr);
    if (!dest) return paper;
    cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest);
    if (info) {
        // A queue without a media list (a raw queue) passes the job on as it
        // is and has no margins to tell.
        if (cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest, info, CUPS_MEDIA) ||
            cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest, info, "media-col-database")) {
            paper.known = true;
            cups_size_t size{};
            if (cupsGetDestMediaByName(CUPS_HTTP_DEFAULT, dest, info, kJisB5,
                                       CUPS_MEDIA_FLAGS_DEFAULT, &size) &&
                holdsJisB5(size)) {
                paper.left = size.left / 10.0;
                paper.right = size.right / 10.0;
                paper.top = size.top / 10.0;
                paper.bottom = size.bottom / 10.0;
            } else {
                paper.jisB5 = false;
                cups_size_t fallback{};
                if (cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, dest, info, CUPS_MEDIA_FLAGS_DEFAULT,
                                            &fallback)) {
                    paper.paperInstead = displayName(QString::fromUtf8(fallback.media),
                                                     fallback.width, fallback.length);
                } else {
                    paper.paperInstead = QStringLiteral("このプリンタの既定の用紙");
                }
            }
        }
        cupsFreeDestInfo(info);
    }
    cupsFreeDests(1, dest);
    return paper;
}

QString notJisB5Message(const QString& printer, const QString& paperInstead) {
    return QStringLiteral(
               "プリンタ %1 は B5（JIS）の用紙に対応していません。\n"
               "提供書は %2 の用紙に印刷され、B5 にはなりません。\n"
               "B5（JIS）に対応したプリンタを選んでください。")
        .arg(printer, paperInstead);
}

}  // namespace dorimek::platform
