#include "platform/Sjis.h"

#include <QString>

#include <string>

#include <gtest/gtest.h>

namespace dorimek {
namespace {

// Code page 932 as every system must convert it, whatever converter it has:
// the characters whose second byte is a backslash, half-width kana, the
// code page's own extensions, the characters input methods type under other
// code points, and bad bytes.
struct CodePageCase {
    const char* what;
    std::string bytes;
    const char16_t* text;
    bool roundTrips;  // the text encodes back to the same bytes
};

const CodePageCase kCodePageCases[] = {
    {"second byte 0x5C", "\x95\x5c\x83\x5c\x94\x5c", u"表ソ能", true},
    {"half-width kana", "\xb1\xd1\xdb\xbc\xde\xcb\xdf\xdd", u"ｱﾑﾛｼﾞﾋﾟﾝ", true},
    {"NEC row 13", "\x87\x40\x87\x54\x87\x82", u"①Ⅰ№", true},
    {"IBM extension", "\xfa\x40", u"ⅰ", true},
    {"wave dash as code page 932 decodes it", "\x81\x60", u"～", true},
    {"ASCII and backslash", "a\\b,1", u"a\\b,1", true},
    {"ideographic space", "\x81\x40", u"\u3000", true},
    {"empty", "", u"", true},
    {"user-defined area", "\xf0\x40", u"\uE000", true},
    // Bad bytes read the same everywhere, so that a damaged master file shows
    // and saves alike on every system.
    {"lone lead byte at the end", "A\x83", u"A", false},
    {"undefined single bytes",
     "\x80\xa0\xfd\xff"
     "A",
     u"\x1A\x1A\x1A\x1A"
     "A",
     false},
    {"lead byte before a control character", "\x81 x", u"\x1A x", false},
    // DEL is no second byte of any character: the lead byte before it is
    // bad, and DEL stays itself.
    {"lead byte before DEL",
     "\x81\x7f"
     "A",
     u"\x1A\x7F"
     "A",
     false},
    {"unassigned pair",
     "\x85\x40"
     "A",
     u"\uFFFD"
     "A",
     false},
};

TEST(CodePage932, DecodesAndEncodesLikeTheCodePage) {
    for (const CodePageCase& c : kCodePageCases) {
        const QString expected = QString::fromUtf16(c.text);
        EXPECT_EQ(platform::toUnicode(c.bytes), expected) << c.what;
        platform::SjisBatchDecoder batch;
        EXPECT_EQ(batch(c.bytes), expected) << c.what;
        if (c.roundTrips) {
            bool ok = false;
            EXPECT_EQ(platform::fromUnicode(expected, &ok), c.bytes) << c.what;
            EXPECT_TRUE(ok) << c.what;
        }
    }
}

// Typed forms are stored under the code page's bytes; what the code page
// lacks is refused, never stored as a look-alike.
TEST(CodePage932, EncodesTypedFormsAndRefusesTheRest) {
    struct Case {
        const char* what;
        const char16_t* text;
        std::string bytes;  // empty: refused
    };
    const Case cases[] = {
        {"wave dash as typed", u"4〜6",
         "4\x81\x60"
         "6"},
        {"minus sign as typed", u"\u2212", "\x81\x7c"},
        {"emoji", u"\U0001F600", ""},
        {"hangul", u"한", ""},
        {"accented Latin with no best fit", u"é", ""},
    };
    for (const Case& c : cases) {
        bool ok = true;
        const std::string bytes = platform::fromUnicode(QString::fromUtf16(c.text), &ok);
        EXPECT_EQ(ok, !c.bytes.empty()) << c.what;
        if (!c.bytes.empty()) {
            EXPECT_EQ(bytes, c.bytes) << c.what;
        }
    }
}

}  // namespace
}  // namespace dorimek
