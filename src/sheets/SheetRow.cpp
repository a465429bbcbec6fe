#include "SheetRow.h"

#include "platform/Sjis.h"

namespace dorimek::sheets {
namespace {

constexpr int kLastCommaField = 7;

void store(SheetRow& row, int field, std::string&& text) {
    switch (field) {
        case 2:
            row.displayName = std::move(text);
            break;
        case 4:
            row.shapeCode = std::move(text);
            break;
        case 5:
            row.package = std::move(text);
            break;
        case 6:
            row.efficacy = std::move(text);
            break;
        case 7:
            row.caution = std::move(text);
            break;
        default:
            break;  // registered name and unit are not printed
    }
}

}  // namespace

SheetRow walkRecordLine(std::string_view line) {
    SheetRow row;
    std::string current;
    int commas = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        const auto b = static_cast<unsigned char>(line[i]);
        if (platform::isDbcsLeadByte(b)) {
            current += line[i];
            if (i + 1 < line.size()) current += line[++i];
            continue;
        }
        if (b == '\n') break;
        if (b == '\r' && (i + 1 == line.size() || line[i + 1] == '\n')) break;
        if (b == ' ') continue;
        if (b == ',' && commas < kLastCommaField) {
            ++commas;
            store(row, commas, std::move(current));
            current.clear();
            continue;
        }
        current += static_cast<char>(b);
    }
    // The line end closes the last field. A record cut short still shows the
    // field it ends in; only a complete record has a photo name, so the text of
    // some other field is never taken for one.
    if (commas == kLastCommaField) {
        row.photoFileName = std::move(current);
    } else {
        store(row, commas + 1, std::move(current));
    }
    return row;
}

}  // namespace dorimek::sheets
