#include "FontMap.h"

#include "NativeFaces.h"

#include <QFontDatabase>
#include <QHash>
#include <QStringList>

#include <cstdio>

namespace dorimek::platform {
namespace {

QString firstInstalled(const QStringList& candidates) {
    const QStringList installed = QFontDatabase::families();
    for (const QString& c : candidates) {
        if (installed.contains(c, Qt::CaseInsensitive)) return c;
    }
    return {};
}

QString resolve(const QString& face) {
    static const QHash<QString, QStringList> kMap = {
        {kGothicFace, {QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
                       QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP")}},
        {kMinchoFace, {QStringLiteral("IPAPMincho"), QStringLiteral("IPA P明朝"),
                       QStringLiteral("IPAMincho"), QStringLiteral("Noto Serif CJK JP")}},
    };
    QString family = firstInstalled(nativeFamilies(face) + kMap.value(face, {face}));
    if (!family.isEmpty()) return family;
    const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
    if (!japanese.isEmpty()) {
        std::fprintf(stderr, "font %s: stand-in not installed, using %s\n",
                     face.toLocal8Bit().constData(), japanese.first().toLocal8Bit().constData());
        return japanese.first();
    }
    std::fprintf(stderr, "font %s: no installed font has Japanese glyphs\n",
                 face.toLocal8Bit().constData());
    return face;
}

}  // namespace

QString mappedFamily(const QString& face) {
    static QHash<QString, QString> cache;
    auto it = cache.find(face);
    if (it == cache.end()) it = cache.insert(face, resolve(face));
    return *it;
}

QFont windowFont(const QString& face, int pixelHeight) {
    QFont font(mappedFamily(face));
    font.setPixelSize(pixelHeight);
    return font;
}

QFont printFont(const QString& face, qreal pointSize) {
    QFont font(mappedFamily(face));
    font.setPointSizeF(pointSize);
    return font;
}

}  // namespace dorimek::platform
