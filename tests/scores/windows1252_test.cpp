#include "scores/name_validator.h"
#include "scores/windows1252.h"

#include <QString>
#include <gtest/gtest.h>
#include <string>

namespace kelmar {
namespace {

TEST(Windows1252, EveryByteSurvivesTheRoundTrip) {
    int defined = 0;
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const QString text = FromWindows1252(byte);
        ASSERT_EQ(text.size(), 1) << b;
        EXPECT_EQ(ToWindows1252(text), byte) << b;
        defined += IsDefinedWindows1252Byte(static_cast<unsigned char>(b)) ? 1 : 0;
    }
    EXPECT_EQ(defined, 251);
    for (const int undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        EXPECT_FALSE(IsDefinedWindows1252Byte(static_cast<unsigned char>(undefined)));
    }
}

TEST(Windows1252, MapsTheGermanLettersAndTheHighControlsRange) {
    const struct {
        unsigned char byte;
        char16_t unicode;
    } cases[] = {
        {0x80, u'€'}, {0x8A, u'Š'}, {0x8C, u'Œ'}, {0x96, u'–'}, {0x9F, u'Ÿ'}, {0xC4, u'Ä'},
        {0xD6, u'Ö'}, {0xDC, u'Ü'}, {0xDF, u'ß'}, {0xE4, u'ä'}, {0xF6, u'ö'}, {0xFC, u'ü'},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FromWindows1252(std::string(1, static_cast<char>(c.byte)))[0].unicode(),
                  c.unicode);
        EXPECT_EQ(Windows1252Byte(c.unicode), c.byte);
    }
    // Characters the set cannot hold: U+0080 is a control, not the euro sign.
    EXPECT_EQ(Windows1252Byte(0x0080), -1);
    EXPECT_EQ(Windows1252Byte(u'Ā'), -1);
    EXPECT_EQ(ToWindows1252(QString::fromUtf8("a\xE6\x97\xA5z")), "a?z");
}

TEST(Windows1252NameValidator, AcceptsOnlyPrintableWindows1252Text) {
    const Windows1252NameValidator validator;
    const struct {
        const char* utf8;
        bool accepted;
    } cases[] = {
        {"", true},
        {"äöüß€", true},
        {"ÄÖÜ Œuvre „Zitat“ – 100‰", true},
        {"Mr. Shy", true},
        {"Ā", false},                // Latin Extended-A outside the set
        {"日本", false},             // CJK
        {"\xF0\x9F\x98\x80", false}, // emoji (a surrogate pair)
        {"a\tb", false},
        {"line\nbreak", false},
        {"\xC2\x81", false}, // U+0081, the undefined byte 0x81
        {"\x7F", false},
    };
    for (const auto& c : cases) {
        QString input = QString::fromUtf8(c.utf8);
        int pos = 0;
        EXPECT_EQ(validator.validate(input, pos) == QValidator::Acceptable, c.accepted) << c.utf8;
    }
}

} // namespace
} // namespace kelmar
