#include "NameSearch.h"

#include "platform/Sjis.h"

#include <array>
#include <cstring>

namespace dorimek::mainwin {
namespace {

// What one character of a name turns into in the key: nothing (a space), one
// ASCII byte, or a double-byte Shift-JIS code.
constexpr uint16_t kDrop = 0xFFFF;

struct KeyTables {
    // Single bytes: ASCII and half-width katakana.
    std::array<uint16_t, 256> single{};
    // A half-width kana (0xA6..0xDD) with ﾞ (0) or ﾟ (1) after it, when the
    // two are one full-width character; 0 when they aren't.
    std::array<std::array<uint16_t, 2>, 256> voiced{};
    // Double-byte codes whose key differs from the code itself (full-width
    // letters, digits and signs, hiragana, the ideographic space); 0 = same.
    std::vector<uint16_t> doubled = std::vector<uint16_t>(0x10000, 0);
};

// The key of one character given as Unicode text: 0 when it has none of its
// own (then the character stays as it is).
uint16_t keyOfText(const QString& text) {
    QString folded = text.normalized(QString::NormalizationForm_KC);
    if (folded.size() != 1) return 0;
    char16_t c = folded.at(0).unicode();
    if (c >= u'\u3041' && c <= u'\u3096') c = static_cast<char16_t>(c + 0x60);  // hiragana
    if (c == u' ' || c == u'\u3000') return kDrop;
    if (c < 0x80) return static_cast<uint16_t>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    bool ok = false;
    const std::string bytes = platform::fromUnicode(QString(QChar(c)), &ok);
    if (!ok || bytes.size() != 2) return 0;
    return static_cast<uint16_t>((static_cast<unsigned char>(bytes[0]) << 8) |
                                 static_cast<unsigned char>(bytes[1]));
}

KeyTables makeTables() {
    KeyTables t;
    for (int b = 0; b < 0x80; ++b) {
        t.single[b] = static_cast<uint16_t>(b >= 'a' && b <= 'z' ? b - 'a' + 'A' : b);
    }
    t.single[' '] = kDrop;
    for (int b = 0x80; b < 0x100; ++b) t.single[b] = static_cast<uint16_t>(b);
    for (int b = 0xA1; b <= 0xDF; ++b) {
        const char byte = static_cast<char>(b);
        if (const uint16_t k = keyOfText(platform::toUnicode(std::string_view(&byte, 1))))
            t.single[b] = k;
    }
    for (int b = 0xA6; b <= 0xDD; ++b) {
        for (int mark = 0; mark < 2; ++mark) {
            const char pair[2] = {static_cast<char>(b), static_cast<char>(0xDE + mark)};
            const QString text = platform::toUnicode(std::string_view(pair, 2));
            if (text.normalized(QString::NormalizationForm_KC).size() == 1)
                t.voiced[b][mark] = keyOfText(text);
        }
    }
    // Rows 1 to 8 of JIS X 0208 (signs, letters, digits, kana, Greek,
    // Cyrillic); kanji are their own key.
    for (int lead = 0x81; lead <= 0x84; ++lead) {
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F) continue;
            const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            const QString text = platform::toUnicode(std::string_view(pair, 2));
            if (text.size() != 1 || text.at(0) == QChar::ReplacementCharacter) continue;
            const uint16_t code = static_cast<uint16_t>((lead << 8) | trail);
            const uint16_t k = keyOfText(text);
            if (k != 0 && k != code) t.doubled[code] = k;
        }
    }
    return t;
}

const KeyTables& tables() {
    static const KeyTables t = makeTables();
    return t;
}

// Writes the key of sjis at out, which has room for twice its bytes (no
// character's key is longer than two bytes per byte), and returns its end.
char* writeKey(char* out, std::string_view sjis, const KeyTables& t) {
    const auto put = [&out](uint16_t k) {
        if (k == kDrop) return;
        if (k >= 0x100) *out++ = static_cast<char>(k >> 8);
        *out++ = static_cast<char>(k & 0xFF);
    };
    const size_t size = sjis.size();
    for (size_t i = 0; i < size;) {
        const auto b = static_cast<unsigned char>(sjis[i]);
        if (b < 0x80) {
            put(t.single[b]);
            ++i;
        } else if (platform::isDbcsLeadByte(b) && i + 1 < size) {
            const auto code =
                static_cast<uint16_t>((b << 8) | static_cast<unsigned char>(sjis[i + 1]));
            const uint16_t k = t.doubled[code];
            put(k ? k : code);
            i += 2;
        } else {
            const auto next = i + 1 < size ? static_cast<unsigned char>(sjis[i + 1]) : 0;
            const uint16_t voiced = (next == 0xDE || next == 0xDF) ? t.voiced[b][next - 0xDE] : 0;
            put(voiced ? voiced : t.single[b]);
            i += voiced ? 2 : 1;
        }
    }
    return out;
}

}  // namespace

std::string searchKey(std::string_view sjis) {
    std::string key(sjis.size() * 2, '\0');
    key.resize(static_cast<size_t>(writeKey(key.data(), sjis, tables()) - key.data()));
    return key;
}

std::optional<std::string> searchKey(const QString& typed) {
    // Hiragana first: an input method may type one (ゔ) that Shift-JIS
    // holds only as katakana.
    QString text = typed;
    for (QChar& c : text) {
        if (c.unicode() >= u'\u3041' && c.unicode() <= u'\u3096') c = QChar(c.unicode() + 0x60);
    }
    bool ok = false;
    const std::string sjis = platform::fromUnicode(text, &ok);
    if (!ok) return std::nullopt;
    return searchKey(sjis);
}

void NameSearchIndex::build(const masterfile::MasterNames& names) {
    const KeyTables& t = tables();
    size_t bytes = 0;
    for (const std::string_view name : names) bytes += name.size();
    keys_.assign(bytes * 2, '\0');
    ends_.clear();
    ends_.reserve(names.size());
    char* const begin = keys_.data();
    char* out = begin;
    for (const std::string_view name : names) {
        out = writeKey(out, name, t);
        ends_.push_back(static_cast<uint32_t>(out - begin));
    }
    keys_.resize(static_cast<size_t>(out - begin));
    built_ = true;
}

bool NameSearchIndex::matches(size_t row, std::string_view key) const {
    const size_t begin = row == 0 ? 0 : ends_[row - 1];
    return ends_[row] - begin >= key.size() &&
           std::memcmp(keys_.data() + begin, key.data(), key.size()) == 0;
}

std::optional<int> NameSearchIndex::findNext(const masterfile::MasterNames& names,
                                             std::string_view key, int row, bool forward) {
    if (key.empty()) return std::nullopt;
    if (!built_ || ends_.size() != names.size()) build(names);
    const auto count = static_cast<long long>(ends_.size());
    for (long long i = static_cast<long long>(row) + (forward ? 1 : -1); i >= 0 && i < count;
         i += forward ? 1 : -1) {
        if (matches(static_cast<size_t>(i), key)) return static_cast<int>(i);
    }
    return std::nullopt;
}

std::optional<int> NameSearchIndex::findFirst(const masterfile::MasterNames& names,
                                              std::string_view key) {
    if (key.empty()) return std::nullopt;
    if (!built_ || ends_.size() != names.size()) build(names);
    const char* data = keys_.data();
    const char first = key.front();
    size_t begin = 0;
    for (size_t i = 0; i < ends_.size(); ++i) {
        const size_t end = ends_[i];
        if (end - begin >= key.size() && data[begin] == first &&
            std::memcmp(data + begin, key.data(), key.size()) == 0)
            return static_cast<int>(i);
        begin = end;
    }
    return std::nullopt;
}

TypeAhead::Step TypeAhead::type(const masterfile::MasterNames& names, const QString& text) {
    query_ += text;
    return match(names);
}

TypeAhead::Step TypeAhead::step(const masterfile::MasterNames& names, int fromRow, bool forward) {
    const std::optional<std::string> key = searchKey(query_);
    if (!key || key->empty()) return {};
    return {index_.findNext(names, *key, fromRow, forward), true};
}

TypeAhead::Step TypeAhead::erase(const masterfile::MasterNames& names) {
    if (query_.isEmpty()) return {};
    query_.chop(query_.size() >= 2 && query_.back().isLowSurrogate() ? 2 : 1);
    return match(names);
}

TypeAhead::Step TypeAhead::match(const masterfile::MasterNames& names) {
    const std::optional<std::string> key = searchKey(query_);
    if (!key || key->empty()) return {};
    const std::optional<int> row = index_.findFirst(names, *key);
    return {row, row.has_value()};
}

}  // namespace dorimek::mainwin
