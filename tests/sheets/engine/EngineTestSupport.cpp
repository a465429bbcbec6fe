#include "EngineTestSupport.h"

#include "sheets/engine/TextMeasurer.h"

#include <QProcess>
#include <QStandardPaths>

namespace dorimek::report::enginetest {

SampleReport::SampleReport() {
    report.Page.setValues(100, 2570, 50, 1820, 30, 10, 0);
    title = report.addBand("RpBand2", rbTitle, 11.64);
    title->addAll({
        {"RpLabel5", kLabel, 60.85, 4.23, 35.45, 5.29, 14, kCenter | kAutoSize | kWordWrap,
         "薬剤情報提供書"},
        {"RpLabel6", kLabel, 148.17, 4.76, 17.73, 4.50, 12, kAutoSize | kWordWrap, "RpLabel6"},
    });
    header = report.addBand("RpBand3", rbColumnHeader, 14.82, 12);
    header->addAll({
        {"RpLabel3", kLabel, 71.44, 2.12, 8.73, 4.50, 12, kAutoSize | kWordWrap, "効能"},
        {"RpShape1", kHorLine, 2.12, 0, 171.19, 0.26},
        {"RpShape5", kVertLine, 2.12, 0, 0.26, 17.20},
        {"RpShape16", kHorLine, 2.12, 4.76, 41.27, 0.26, 0, kDotted},
    });
    detail = report.addBand("RpBand1", rbDetail, 21.43, 12);
    detail->addAll({
        {"RpShape2", kHorLine, 2.12, 20.64, 171.45, 0.26},
        {"RpShape7", kVertLine, 2.12, -0.53, 0.26, 21.17},
        {"RpMemo1", kMemo, 44.98, 1.06, 61.12, 18.26, 12, kWordWrap | kAutoStretch},
    });
    summary = report.addBand("RpBand4", rbSummary, 7.41);
    summary->addAll({
        {"RpLabel10", kLabel, 110.07, 2.12, 60.33, 4.76, 12, kAutoSize | kWordWrap,
         "さくら医院   TEL:012-345-6789"},
    });
    report.BeforePrint = [this](TReport&, bool&) {
        ++beforePrintCalls;
        next = 0;
    };
    report.OnNeedData = [this](TReport& r, bool& more) {
        presets.push_back(more);
        if (next >= rows.size()) {
            more = false;
            return;
        }
        TReportMemo* memo = r.memo(QStringLiteral("RpMemo1"));
        memo->Lines.clear();
        memo->Lines.add(rows[next++]);
        more = true;
    };
}

double lineHeightOf(double pointSize) {
    TReportFont font;
    font.Size = pointSize;
    return TextMeasurer::instance().lineHeight(font);
}

QString findTool(const char* name) {
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

QString runTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace dorimek::report::enginetest
