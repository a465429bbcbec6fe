#include "QueuePaper.h"

#include <cups/cups.h>

#include <algorithm>

namespace dorimek::platform {
namespace {

// The largest value of a queue's "<option>-supported" integers, or 0.
int largestSupported(cups_dest_t* dest, cups_dinfo_t* info, const char* option) {
    int largest = 0;
    if (ipp_attribute_t* a = cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest, info, option)) {
        for (int i = 0; i < ippGetCount(a); ++i) largest = std::max(largest, ippGetInteger(a, i));
    }
    return largest;
}

MediaFacts factsOf(cups_dest_t* dest, cups_dinfo_t* info) {
    MediaFacts facts;
    const int count =
        cupsGetDestMediaCount(CUPS_HTTP_DEFAULT, dest, info, CUPS_MEDIA_FLAGS_DEFAULT);
    for (int i = 0; i < count; ++i) {
        cups_size_t size{};
        if (!cupsGetDestMediaByIndex(CUPS_HTTP_DEFAULT, dest, info, i, CUPS_MEDIA_FLAGS_DEFAULT,
                                     &size))
            continue;
        facts.entries.push_back({QString::fromUtf8(size.media), size.width, size.length, size.left,
                                 size.bottom, size.right, size.top});
    }
    if (ipp_attribute_t* media = cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest, info, CUPS_MEDIA)) {
        for (int i = 0; i < ippGetCount(media); ++i) {
            const char* name = ippGetString(media, i, nullptr);
            pwg_media_t* pwg = name ? pwgMediaForPWG(name) : nullptr;
            if (!pwg) continue;
            const MediaEntry bound{QString::fromUtf8(name), pwg->width, pwg->length};
            if (qstrncmp(name, "custom_min_", 11) == 0) facts.customMin = bound;
            if (qstrncmp(name, "custom_max_", 11) == 0) facts.customMax = bound;
        }
    }
    facts.statedMargins.left = largestSupported(dest, info, "media-left-margin");
    facts.statedMargins.right = largestSupported(dest, info, "media-right-margin");
    facts.statedMargins.top = largestSupported(dest, info, "media-top-margin");
    facts.statedMargins.bottom = largestSupported(dest, info, "media-bottom-margin");
    facts.userDefault =
        QString::fromUtf8(cupsGetOption(CUPS_MEDIA, dest->num_options, dest->options));
    if (ipp_attribute_t* d = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, CUPS_MEDIA)) {
        facts.queueDefault = QString::fromUtf8(ippGetString(d, 0, nullptr));
    }
    return facts;
}

}  // namespace

QueuePaper QueuePaper::of(const QString& printer) {
    if (printer.isEmpty()) return {};
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, printer.toUtf8().constData(), nullptr);
    if (!dest) return {};
    QueuePaper paper;
    if (cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
        // A queue without a media list (a raw queue) passes the job on as it
        // is and has no margins to tell.
        if (cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest, info, CUPS_MEDIA)) {
            paper = choose(factsOf(dest, info));
        }
        cupsFreeDestInfo(info);
    }
    cupsFreeDests(1, dest);
    return paper;
}

}  // namespace dorimek::platform
