#include <gtest/gtest.h>

#include "platform/CodePage.h"

using namespace platform;

TEST(CodePage, EveryByteSurvivesTheRoundTripThroughUtf8) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::string utf8 = Cp1252ToUtf8(all);
    EXPECT_EQ(Utf8ToCp1252(utf8), all);
    for (int b = 0; b < 256; ++b) {
        std::string one(1, static_cast<char>(b));
        EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(one)), one) << "byte " << b;
        EXPECT_EQ(UnicodeToCp1252(Cp1252ToUnicode(static_cast<uint8_t>(b))), b) << "byte " << b;
    }
}

TEST(CodePage, TheEuroSignAndOtherHighCharactersHaveTheirWindowsBytes) {
    EXPECT_EQ(Utf8ToCp1252("\xE2\x82\xAC"), "\x80");  // €
    EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");
    EXPECT_EQ(Utf8ToCp1252("\xC3\xB1"), "\xF1");  // ñ
    EXPECT_EQ(Utf8ToCp1252("\xE2\x80\x9C"
                           "a"
                           "\xE2\x80\x9D"),
              "\x93"
              "a"
              "\x94");                            // “a”
    EXPECT_EQ(Cp1252ToUnicode(0x9F), U'\u0178');  // Ÿ
    EXPECT_EQ(Utf16ToCp1252(u"Ma\u00F1ana \u20AC"),
              "Ma\xF1"
              "ana \x80");
}

TEST(CodePage, CharactersTheCodePageLacksBecomeQuestionMarks) {
    EXPECT_EQ(UnicodeToCp1252(U'\u4E2D'), -1);
    EXPECT_EQ(Utf8ToCp1252("a\xE4\xB8\xAD"
                           "b"),
              "a?b");                                  // a Chinese character
    EXPECT_EQ(Utf8ToCp1252("\xF0\x9F\x98\x80"), "?");  // an emoji, four bytes
    EXPECT_EQ(Utf16ToCp1252(u"\U0001F600x"), "?x");    // the same as a surrogate pair
    EXPECT_EQ(Utf8ToCp1252("\xFF"
                           "a"),
              "?a");                       // a byte that starts nothing
    EXPECT_EQ(Utf8ToCp1252("\xC3"), "?");  // a sequence cut at the end
    EXPECT_EQ(Utf8ToCp1252("\xE2\x82"
                           "a"),
              "??a");  // a sequence cut in the middle
}

TEST(CodePage, OverlongFormsAndSurrogatesAreMalformed) {
    EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "??");                // an overlong "/"
    EXPECT_EQ(Utf8ToCp1252("\xE0\x81\x9C"), "???");           // an overlong "\\"
    EXPECT_EQ(Utf8ToCp1252("\xC1\xBF"), "??");                // an overlong DEL
    EXPECT_EQ(Utf8ToCp1252("\xED\xA0\x80"), "???");           // a lone surrogate
    EXPECT_EQ(Utf8ToCp1252("\xC2\xA0\xC3\xBF"), "\xA0\xFF");  // the shortest forms still pass
}

TEST(CodePage, UpperCasingCoversTheAccentedLetters) {
    EXPECT_EQ(Cp1252ToUpper("\xF1"), "\xD1");  // ñ Ñ
    EXPECT_EQ(Cp1252ToUpper("\xE9"), "\xC9");  // é É
    EXPECT_EQ(Cp1252ToUpper("foto\xE1.bmp"), "FOTO\xC1.BMP");
    EXPECT_EQ(Cp1252ToUpper("\x9A\x9C\x9E\xFF"), "\x8A\x8C\x8E\x9F");  // š œ ž ÿ
    // The division sign sits among the small letters but has no capital; ß and µ have none either.
    EXPECT_EQ(Cp1252ToUpper("\xF7\xDF\xB5"), "\xF7\xDF\xB5");
    EXPECT_EQ(Cp1252ToUpper("ABC 123"), "ABC 123");
}
