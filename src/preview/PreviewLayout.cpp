#include "PreviewLayout.h"

#include "platform/Sjis.h"

#include <QStringList>

namespace dorimek::preview {
namespace {

// Per row: where each control sits relative to the row's top, and its place
// in the row's six Tab stops (the image and the rule take no focus).
struct RowControl {
    RowPart part;
    ControlKind kind;
    int left;
    int dy;
    int width;
    int height;
    int tabInRow;
};

// In declaration order within a row.
constexpr RowControl kRowControls[] = {
    {RowPart::Rule, ControlKind::Shape, 8, -8, 553, 1, -1},
    {RowPart::Name, ControlKind::Memo, 8, 0, 97, 25, 0},
    {RowPart::Efficacy, ControlKind::Memo, 104, 0, 153, 73, 1},
    {RowPart::Caution, ControlKind::Memo, 256, 0, 161, 73, 2},
    {RowPart::Form, ControlKind::Edit, 8, 32, 89, 20, 3},
    {RowPart::Package, ControlKind::Edit, 8, 56, 89, 20, 4},
    {RowPart::Photo, ControlKind::Image, 424, 0, 82, 76, -1},
    {RowPart::Usage, ControlKind::Memo, 512, 0, 49, 73, 5},
};

constexpr int kTabStopsPerRow = 6;

std::vector<ControlSpec> buildControls() {
    std::vector<ControlSpec> controls;
    const auto heading = [&](const char* name, int x, int y, int w, const char* caption) {
        controls.push_back({QString::fromLatin1(name), ControlKind::Label, QRect(x, y, w, 12),
                            QString::fromUtf8(caption)});
    };
    heading("Label1", 16, 8, 36, "薬剤名");
    heading("Label2", 16, 24, 54, "剤形・記号");
    heading("Label3", 16, 40, 54, "規格・包装");
    heading("Label4", 160, 8, 24, "効能");
    heading("Label5", 320, 8, 24, "注意");
    heading("Label6", 448, 8, 24, "外観");
    heading("Label7", 520, 8, 24, "用法");

    for (int row = 1; row <= kRowCount; ++row) {
        const int y = rowTop(row);
        for (const RowControl& c : kRowControls) {
            ControlSpec spec;
            spec.name = rowControlName(row, c.part);
            spec.kind = c.kind;
            spec.geometry = QRect(c.left, y + c.dy, c.width, c.height);
            spec.tabOrder = c.tabInRow < 0 ? -1 : kTabStopsPerRow * (row - 1) + c.tabInRow;
            spec.row = row;
            spec.part = c.part;
            controls.push_back(spec);
        }
    }

    controls.push_back({QStringLiteral("Shape8"), ControlKind::Shape, QRect(8, 680, 553, 1), {}});
    controls.push_back({QStringLiteral("Button1"), ControlKind::Button, QRect(168, 24, 105, 25),
                        QStringLiteral("印刷"), 42});
    controls.push_back({QStringLiteral("Button2"), ControlKind::Button, QRect(288, 24, 105, 25),
                        QStringLiteral("終了"), 43});
    // Paging, in the free space right of the buttons, above the photo and
    // usage columns.
    controls.push_back({QStringLiteral("Button3"), ControlKind::Button, QRect(408, 24, 48, 25),
                        QStringLiteral("前へ"), 44});
    controls.push_back({QStringLiteral("Label8"), ControlKind::Label, QRect(458, 24, 46, 25),
                        QStringLiteral("1/1")});
    controls.push_back({QStringLiteral("Button4"), ControlKind::Button, QRect(506, 24, 48, 25),
                        QStringLiteral("次へ"), 45});
    return controls;
}

}  // namespace

const std::vector<ControlSpec>& previewControls() {
    static const std::vector<ControlSpec> controls = buildControls();
    return controls;
}

QString rowControlName(int row, RowPart part) {
    if (row < 1 || row > kRowCount) return {};
    // The designer numbered memos four and edits two per row, images and
    // rules one per row.
    const int memo = 4 * (row - 1);
    const int edit = 2 * (row - 1);
    switch (part) {
        case RowPart::Rule:
            return QStringLiteral("Shape%1").arg(row);
        case RowPart::Name:
            return QStringLiteral("Memo%1").arg(memo + 1);
        case RowPart::Efficacy:
            return QStringLiteral("Memo%1").arg(memo + 2);
        case RowPart::Caution:
            return QStringLiteral("Memo%1").arg(memo + 3);
        case RowPart::Usage:
            return QStringLiteral("Memo%1").arg(memo + 4);
        case RowPart::Form:
            return QStringLiteral("Edit%1").arg(edit + 1);
        case RowPart::Package:
            return QStringLiteral("Edit%1").arg(edit + 2);
        case RowPart::Photo:
            return QStringLiteral("Image%1").arg(row);
        case RowPart::None:
            break;
    }
    return {};
}

int pageCount(int lineCount) {
    return lineCount <= 0 ? 1 : (lineCount + kRowCount - 1) / kRowCount;
}

QString pageLabel(int page, int pages) { return QStringLiteral("%1/%2").arg(page + 1).arg(pages); }

FieldFit fitField(const QString& text, QSize room, int basePixelSize, int minPixelSize,
                  const TextHeight& height) {
    if (text.isEmpty()) return {basePixelSize, false};
    for (int size = basePixelSize; size >= minPixelSize; --size) {
        if (height(text, room.width(), size) <= room.height()) return {size, false};
    }
    return {minPixelSize, true};
}

QString usageMemoText(int row, const std::vector<std::string>& words) {
    QStringList lines;
    if (row == 4) lines.append(QString());
    for (const std::string& word : words) lines.append(platform::toUnicode(word));
    return lines.join(QLatin1Char('\n'));
}

}  // namespace dorimek::preview
