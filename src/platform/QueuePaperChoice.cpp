#include "QueuePaper.h"

#include <QRegularExpression>

#include <cmath>
#include <cstdlib>

// What is made of a queue's paper once the spooler has told of it: the same
// on every system.
namespace dorimek::platform {
namespace {

constexpr int kJisB5Width = 18200;  // hundredths of a millimetre
constexpr int kJisB5Length = 25700;

// A size the spooler lists must be the sheet's size to count as JIS B5: a
// PPD's B5 in whole points is 182.03 x 257.18 mm, ISO B5 176 x 250 mm is not.
bool holdsJisB5(const MediaEntry& e) {
    return std::abs(e.width - kJisB5Width) <= 100 && std::abs(e.length - kJisB5Length) <= 100;
}

int marginSum(const MediaEntry& e) { return e.left + e.right + e.top + e.bottom; }

void takeSize(QueuePaper& paper, const MediaEntry& e) {
    paper.width = e.width / 10.0;
    paper.length = e.length / 10.0;
    paper.left = e.left / 10.0;
    paper.right = e.right / 10.0;
    paper.top = e.top / 10.0;
    paper.bottom = e.bottom / 10.0;
}

}  // namespace

QString QueuePaper::displayName(const QString& pwgName, int width, int length) {
    struct Known {
        const char* prefix;
        const char* name;
    };
    static const Known known[] = {
        {"na_letter_", "US レター"}, {"na_legal_", "US リーガル"},
        {"iso_a4_", "A4"},           {"iso_a5_", "A5"},
        {"iso_a3_", "A3"},           {"iso_b5_", "ISO B5"},
        {"jis_b4_", "B4"},           {"na_executive_", "エグゼクティブ"},
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

QueuePaper QueuePaper::choose(const MediaFacts& facts) {
    QueuePaper paper;
    const bool hasRange = facts.customMin && facts.customMax;
    if (facts.entries.empty() && !hasRange) return paper;  // nothing listed: a raw queue
    paper.known = true;

    // JIS B5 by name. Listed more than once (to the edge and with a border),
    // the spooler may take either for a job that names the paper only; the
    // bordered one is the one a sheet is made for, so the job states it.
    const MediaEntry* b5 = nullptr;
    int b5Entries = 0;
    for (const MediaEntry& e : facts.entries) {
        if (!holdsJisB5(e)) continue;
        ++b5Entries;
        if (!b5 || marginSum(e) > marginSum(*b5)) b5 = &e;
    }
    if (b5) {
        takeSize(paper, *b5);
        paper.jobMedia = b5Entries == 1
                             ? QStringLiteral("media=%1").arg(b5->name)
                             : QStringLiteral(
                                   "media-col={media-size={x-dimension=%1 y-dimension=%2} "
                                   "media-left-margin=%3 media-right-margin=%4 "
                                   "media-top-margin=%5 media-bottom-margin=%6}")
                                   .arg(b5->width)
                                   .arg(b5->length)
                                   .arg(b5->left)
                                   .arg(b5->right)
                                   .arg(b5->top)
                                   .arg(b5->bottom);
        return paper;
    }

    // JIS B5 as a custom size: its margins are the ones the queue states.
    if (hasRange && facts.customMin->width <= kJisB5Width &&
        kJisB5Width <= facts.customMax->width && facts.customMin->length <= kJisB5Length &&
        kJisB5Length <= facts.customMax->length) {
        MediaEntry custom = facts.statedMargins;
        custom.width = kJisB5Width;
        custom.length = kJisB5Length;
        takeSize(paper, custom);
        return paper;
    }

    // No JIS B5 at all: a paper the queue lists, never one it would refuse.
    paper.jisB5 = false;
    if (facts.entries.empty()) {
        paper.known = false;  // only custom sizes, none of them B5: nothing to name
        return paper;
    }
    const auto named = [&facts](const QString& name) -> const MediaEntry* {
        if (name.isEmpty()) return nullptr;
        for (const MediaEntry& e : facts.entries) {
            if (e.name == name) return &e;
        }
        return nullptr;
    };
    const MediaEntry* instead = named(facts.userDefault);
    if (!instead) instead = named(facts.queueDefault);
    if (!instead) instead = &facts.entries.front();
    takeSize(paper, *instead);
    paper.jobMedia = QStringLiteral("media=%1").arg(instead->name);
    paper.paperInstead = displayName(instead->name, instead->width, instead->length);
    return paper;
}

QSizeF jobMediaSize(const QString& jobMedia) {
    static const QRegularExpression named(
        QStringLiteral("_(\\d+(?:\\.\\d+)?)x(\\d+(?:\\.\\d+)?)(mm|in)(?![A-Za-z0-9])"));
    static const QRegularExpression sized(
        QStringLiteral("x-dimension=(\\d+)\\s+y-dimension=(\\d+)"));
    if (const auto m = sized.match(jobMedia); m.hasMatch()) {
        return {m.captured(1).toDouble() / 100, m.captured(2).toDouble() / 100};
    }
    if (const auto m = named.match(jobMedia); m.hasMatch()) {
        const double unit = m.captured(3) == QLatin1String("in") ? 25.4 : 1.0;
        return {m.captured(1).toDouble() * unit, m.captured(2).toDouble() * unit};
    }
    return {kJisB5Width / 100.0, kJisB5Length / 100.0};
}

QString notJisB5Message(const QString& printer, const QString& paperInstead) {
    return QStringLiteral(
               "プリンタ %1 は B5（JIS）の用紙に対応していません。\n"
               "提供書は %2 の用紙に印刷され、B5 にはなりません。\n"
               "B5（JIS）に対応したプリンタを選んでください。")
        .arg(printer, paperInstead);
}

}  // namespace dorimek::platform
