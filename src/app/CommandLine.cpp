#include "CommandLine.h"

#include "main/AutoRunOutcome.h"
#include "platform/DisplayProbe.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstring>

namespace dorimek::app {
namespace {

using mainwin::AutoRunOutcome;

// The language of the messages catalogue, as a terminal program chooses it.
bool japaneseLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QByteArray value = qgetenv(name);
        if (!value.isEmpty()) return value.startsWith("ja");
    }
    return false;
}

void print(std::FILE* to, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), to);
    std::fflush(to);
}

QString statusTable(bool japanese) {
    QString table;
    for (const mainwin::AutoRunOutcomeText& t : mainwin::autoRunOutcomeTexts()) {
        table += QStringLiteral("  %1  %2\n")
                     .arg(mainwin::exitStatus(t.outcome), 2)
                     .arg(QString::fromUtf8(japanese ? t.japanese : t.english));
    }
    return table;
}

QString helpText(bool japanese) {
    if (japanese) {
        return QStringLiteral(
                   "使い方: dorimek [auto [第 2 引数 [プリンタ番号]]]\n"
                   "        dorimek --help | --version\n"
                   "\n"
                   "薬剤情報提供書を JIS B5 の用紙に印刷します。プログラムと同じフォルダの\n"
                   "yakujo.txt（薬剤マスタ）、sorbenk.ini（設定）、photos/"
                   "（薬の写真）を使います。\n"
                   "\n"
                   "  引数なし       画面を開きます（auto 以外の引数でも同じです）。\n"
                   "  auto           基幹システムからの自動起動です。rp.csv "
                   "を取り込み、sorbenk.ini の\n"
                   "                 "
                   "設定どおりにプレビューまたは印刷して終了します（小文字でこの通りに）。\n"
                   "  第 2 引数      使いません（auto - 1 のように何かを置きます）。\n"
                   "  プリンタ番号   第 3 引数。sorbenk.ini の 1 "
                   "行目の代わりに使うプリンタの番号です\n"
                   "                 （「使用可能プリンタ」の上から 0、1、2 …。-1 "
                   "は通常使うプリンタ）。\n"
                   "  --help         この説明を表示します。\n"
                   "  --version      版を表示します。\n"
                   "\n"
                   "自動起動（auto）の終了コード:\n") +
               statusTable(true) +
               QStringLiteral(
                   "画面を開けない（30）は auto を付けない起動でも返します。\n"
                   "\n"
                   "画面（ディスプレイ）の無いパソコンでは、仮想画面の上で起動します:\n"
                   "  xvfb-run -a dorimek auto\n"
                   "詳しくは man dorimek と README.md を参照してください。\n"
                   "\n"
                   "English: dorimek prints the drug information sheet on JIS B5. \"dorimek "
                   "auto\"\n"
                   "imports rp.csv, previews or prints as sorbenk.ini says and exits with the "
                   "status\n"
                   "above; the third argument is a printer index.\n");
    }
    return QStringLiteral(
               "Usage: dorimek [auto [unused [printer-index]]]\n"
               "       dorimek --help | --version\n"
               "\n"
               "Prints the drug information sheet 薬剤情報提供書 on JIS B5 paper,\n"
               "using yakujo.txt (drug master), sorbenk.ini (settings) and photos/ in the\n"
               "program's own folder.\n"
               "\n"
               "  no argument     opens the main window (so does any first argument but auto)\n"
               "  auto            started by the host system: imports rp.csv, previews or prints\n"
               "                  as sorbenk.ini says, and exits (lower case, exactly)\n"
               "  second argument not used (put a placeholder: auto - 1)\n"
               "  printer-index   third argument: the printer to use instead of line 1 of\n"
               "                  sorbenk.ini (0, 1, 2 ... in the printer list; -1 the default)\n"
               "  --help          shows this text\n"
               "  --version       shows the version\n"
               "\n"
               "Exit status of an automatic start (auto):\n") +
           statusTable(false) +
           QStringLiteral(
               "No display (30) is returned without auto as well.\n"
               "\n"
               "Without a display, run it on a virtual one:\n"
               "  xvfb-run -a dorimek auto\n"
               "See man dorimek and README.md (Japanese, with an English summary).\n");
}

// The value of a -platform option, which Qt would take from the arguments.
QString platformArgument(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return QString::fromLocal8Bit(argv[i + 1]);
    }
    return {};
}

}  // namespace

std::optional<int> answerCommandLine(int argc, char** argv,
                                     const std::function<void(const QString& reason)>& noDisplay) {
    const char* first = argc > 1 ? argv[1] : "";
    if (std::strcmp(first, "--help") == 0 || std::strcmp(first, "-h") == 0) {
        print(stdout, helpText(japaneseLocale()));
        return 0;
    }
    if (std::strcmp(first, "--version") == 0) {
        print(stdout, QStringLiteral("dorimek %1\n").arg(QStringLiteral(DORIMEK_VERSION)));
        return 0;
    }
    const platform::DisplayProbe display = platform::probeDisplay(platformArgument(argc, argv));
    if (!display.available) {
        print(stderr,
              QStringLiteral("dorimek: 画面（ディスプレイ）を開けないため起動できません（%1）。"
                             "画面の無いパソコンでは xvfb-run -a dorimek auto のように"
                             "仮想画面の上で起動してください。\n")
                  .arg(display.reason));
        if (noDisplay) noDisplay(display.reason);
        return mainwin::exitStatus(AutoRunOutcome::NoDisplay);
    }
    return std::nullopt;
}

}  // namespace dorimek::app
