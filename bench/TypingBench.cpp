#include "TypingBench.h"

#include "BenchSupport.h"
#include "main/MasterListBox.h"
#include "main/NameSearch.h"
#include "platform/Sjis.h"

#include <QApplication>
#include <QKeyEvent>
#include <QStringList>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace dorimek::bench {
namespace {

// Syllables of drug names as half-width katakana, roughly as often as they
// come: plain kana more than voiced ones, few contracted ones.
const QStringList kSyllables = {
    "ｱ",  "ｲ",  "ｳ",  "ｴ",  "ｵ",  "ｶ",  "ｷ",  "ｸ",  "ｹ",  "ｺ",  "ｻ",  "ｼ",  "ｽ",  "ｾ",
    "ｿ",  "ﾀ",  "ﾁ",  "ﾃ",  "ﾄ",  "ﾅ",  "ﾆ",  "ﾉ",  "ﾊ",  "ﾋ",  "ﾌ",  "ﾍ",  "ﾎ",  "ﾏ",
    "ﾐ",  "ﾒ",  "ﾓ",  "ﾗ",  "ﾘ",  "ﾙ",  "ﾚ",  "ﾛ",  "ﾝ",  "ﾝ",  "ｶﾞ", "ｷﾞ", "ｸﾞ", "ｺﾞ",
    "ｻﾞ", "ｼﾞ", "ｿﾞ", "ﾀﾞ", "ﾃﾞ", "ﾄﾞ", "ﾊﾞ", "ﾋﾞ", "ﾌﾞ", "ﾎﾞ", "ﾊﾟ", "ﾋﾟ", "ﾌﾟ", "ﾍﾟ",
    "ﾎﾟ", "ｼｬ", "ｼｮ", "ﾁｭ", "ﾌｧ", "ﾌｪ", "ﾃｨ", "ｰ",  "ｯ",  "ｷｻ", "ﾌﾛ", "ﾄﾛ"};
const QStringList kForms = {"錠", "錠",    "錠", "OD錠", "ｶﾌﾟｾﾙ", "細粒",
                            "散", "ｼﾛｯﾌﾟ", "注", "軟膏", "ﾃｰﾌﾟ",  "点眼液"};
const QStringList kStrengths = {"1mg",   "2mg",   "2.5mg", "5mg",   "10mg", "20mg", "25mg", "50mg",
                                "100mg", "200mg", "250mg", "500mg", "0.1%", "1%",   "10%",  "20%"};
const QStringList kMakers = {"ｻﾜｲ",  "ﾄｰﾜ",  "日医工", "ﾆﾌﾟﾛ", "ﾃﾊﾞ",  "ｹﾐﾌｧ", "ｱﾒﾙ",
                             "明治", "ﾀｶﾀ",  "ﾌｿｰ",    "JG",   "DSEP", "NP",   "YD",
                             "ﾄｰﾜ",  "ｻﾝﾄﾞ", "ｵｰﾊﾗ",   "ｸﾆﾋﾛ", "EE",   "科研"};

}  // namespace

masterfile::MasterNames syntheticMaster(int drugs, bool sorted, unsigned seed) {
    std::mt19937 random(seed);
    const auto pick = [&](const QStringList& list) {
        return list.at(static_cast<int>(random() % static_cast<unsigned>(list.size())));
    };
    std::set<std::string> unique;
    std::vector<std::string> names;
    names.reserve(static_cast<size_t>(drugs));
    // Products per ingredient: most have a few, some dozens (a long tail).
    std::geometric_distribution<int> extra(0.12);
    while (static_cast<int>(names.size()) < drugs) {
        QString stem;
        const int syllables = 3 + static_cast<int>(random() % 4);
        for (int i = 0; i < syllables; ++i) stem += pick(kSyllables);
        if (stem.startsWith(QStringLiteral("ｰ")) || stem.startsWith(QStringLiteral("ｯ")) ||
            stem.startsWith(QStringLiteral("ﾝ")))
            stem.remove(0, 1);
        const int products = 1 + std::min(extra(random), 80);
        const QString form = pick(kForms);
        for (int p = 0; p < products && static_cast<int>(names.size()) < drugs; ++p) {
            QString name = stem + (p % 5 == 4 ? pick(kForms) : form) + pick(kStrengths);
            if (p > 0 && random() % 10 < 7)
                name += QStringLiteral("「") + pick(kMakers) + QStringLiteral("」");
            std::string bytes = platform::fromUnicode(name);
            if (bytes.size() > 63 || !unique.insert(bytes).second) continue;
            names.push_back(std::move(bytes));
        }
    }
    if (sorted)
        std::sort(names.begin(), names.end());
    else
        std::shuffle(names.begin(), names.end(), random);
    return masterfile::MasterNames(names);
}

namespace {

// The characters of a name's search key, each as its own piece of the key.
std::vector<std::string> keyCharacters(std::string_view name) {
    const std::string key = mainwin::searchKey(name);
    std::vector<std::string> out;
    for (size_t i = 0; i < key.size();) {
        const size_t len =
            platform::isDbcsLeadByte(static_cast<unsigned char>(key[i])) && i + 1 < key.size() ? 2
                                                                                               : 1;
        out.push_back(key.substr(i, len));
        i += len;
    }
    return out;
}

constexpr int kDownPresses = 4;  // "a few" steps down through the matches

// Keystrokes to reach row target: typed characters of its key, then Down
// presses through the entries that match them, the cheapest such way; -1
// when no way takes at most kDownPresses.
int keystrokes(const masterfile::MasterNames& names, mainwin::NameSearchIndex& index, int target) {
    const std::vector<std::string> chars = keyCharacters(names[static_cast<size_t>(target)]);
    std::string prefix;
    int best = -1;
    for (size_t n = 0; n < chars.size(); ++n) {
        prefix += chars[n];
        // Down goes from match to match while the typed text is shown.
        int row = index.findFirst(names, prefix).value_or(-1);
        int downs = 0;
        while (row >= 0 && row < target && downs <= kDownPresses) {
            row = index.findNext(names, prefix, row, true).value_or(-1);
            ++downs;
        }
        if (row != target) continue;
        const int cost = static_cast<int>(n + 1) + downs;
        if (downs <= kDownPresses && (best < 0 || cost < best)) best = cost;
        if (downs == 0) break;
    }
    return best;
}

}  // namespace

int measureKeystrokes(int drugs) {
    std::printf("%-9s %8s %8s %8s %8s %10s\n", "order", "drugs", "median", "p90", "max",
                "kana-btn");
    for (const bool sorted : {true, false}) {
        const masterfile::MasterNames names = syntheticMaster(drugs, sorted);
        mainwin::NameSearchIndex index;
        std::mt19937 random(7);
        std::vector<int> costs;
        std::vector<int> below;  // entries between a kana button's jump and the drug
        for (int i = 0; i < 100; ++i) {
            const int target = static_cast<int>(random() % names.size());
            const int cost = keystrokes(names, index, target);
            if (cost < 0) {
                std::fprintf(stderr, "drug %d can't be reached by typing\n", target);
                return 1;
            }
            costs.push_back(cost);
            const std::string_view name = names[static_cast<size_t>(target)];
            for (size_t r = 0; r < names.size(); ++r) {
                if (!names[r].empty() && names[r][0] == name[0]) {
                    below.push_back(target - static_cast<int>(r));
                    break;
                }
            }
        }
        std::sort(costs.begin(), costs.end());
        std::sort(below.begin(), below.end());
        std::printf("%-9s %8zu %8d %8d %8d %10d\n", sorted ? "sorted" : "shuffled", names.size(),
                    costs[49], costs[89], costs.back(), below[below.size() / 2]);
    }
    std::printf(
        "keystrokes = characters of the name typed (a kana or kanji the input method commits "
        "counts\n"
        "as one) + Down presses (at most %d) through the next matches; kana-btn = median entries "
        "between\n"
        "a kana button's jump and the drug. Target: median <= 6.\n",
        kDownPresses);
    return 0;
}

int measureKeyToMove(int records) {
    int argc = 1;
    char name[] = "dorimek_bench";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    const masterfile::MasterNames names = syntheticMaster(records, false);
    mainwin::MasterListBox list;
    list.setEntries(&names);
    list.resize(177, 297);
    list.show();
    if (!QTest::qWaitForWindowExposed(&list)) return 1;
    list.setFocus();
    std::mt19937 random(11);
    std::vector<double> times;
    double first = -1;
    for (int i = 0; i < 40; ++i) {
        const int target = static_cast<int>(random() % names.size());
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&list, &escape);
        QCoreApplication::processEvents();
        const QString text = platform::toUnicode(names[static_cast<size_t>(target)]).left(4);
        for (const QChar c : text) {
            QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            const long long start = monotonicNs();
            QApplication::sendEvent(&list, &key);
            QCoreApplication::processEvents();  // the list drawn where it went
            const double ms = (monotonicNs() - start) / 1e6;
            if (first < 0)
                first = ms;
            else
                times.push_back(ms);
        }
        if (list.currentRow() > target) {
            std::fprintf(stderr, "typing %s went past row %d\n", qPrintable(text), target);
            return 1;
        }
    }
    std::sort(times.begin(), times.end());
    std::printf("%.2f %.2f %.2f %zu\n", first, times[times.size() / 2], times.back(),
                times.size() + 1);
    return 0;
}

}  // namespace dorimek::bench
