#include <gtest/gtest.h>

#include "imaging/FileEndings.h"

TEST(FileEndings, ExtensionIsTheLastFourCharactersInUpperCase) {
    EXPECT_EQ(ExtensionOf("foto.jPg"), ".JPG");
    EXPECT_EQ(ExtensionOf("C:\\Fotos.v2\\playa.tif"), ".TIF");
    // No search for a dot: a dotted folder does not lend the file its ending, nor does a longer one.
    EXPECT_EQ(ExtensionOf("fotos.jpg\\playa"), "LAYA");
    EXPECT_EQ(ExtensionOf("playa.jpeg"), "JPEG");
    EXPECT_EQ(ExtensionOf("playajpg"), "AJPG");
    EXPECT_EQ(ExtensionOf("playa.jpg."), "JPG.");
    // Shorter names come back whole.
    EXPECT_EQ(ExtensionOf("bmp"), "BMP");
    EXPECT_EQ(ExtensionOf(""), "");
    // Letters beyond ASCII (Windows-1252 bytes) are left as they are, whatever the locale.
    EXPECT_EQ(ExtensionOf("a.\xE9\xE0x"), ".\xE9\xE0X");
}

TEST(FileEndings, EndingsCompareWithoutRegardToCase) {
    EXPECT_TRUE(EndsWithNoCase("Sprite.Pcx", "PCX"));
    EXPECT_TRUE(EndsWithNoCase("SPRITE.PCX", "pcx"));
    EXPECT_TRUE(EndsWithNoCase("pcx", "PCX"));
    // Only the last characters count: no dot is needed, and a trailing dot or a dotted folder does not
    // make a PCX file.
    EXPECT_TRUE(EndsWithNoCase("spritepcx", "PCX"));
    EXPECT_FALSE(EndsWithNoCase("sprite.pcx.", "PCX"));
    EXPECT_FALSE(EndsWithNoCase("C:\\dibujos.pcx\\sprite.bmp", "PCX"));
    EXPECT_FALSE(EndsWithNoCase("cx", "PCX"));
    EXPECT_FALSE(EndsWithNoCase("", "PCX"));
    EXPECT_TRUE(EndsWithNoCase("anything", ""));
    // Only ASCII letters fold: "\xC9" (capital e acute) is not taken for "\xE9".
    EXPECT_FALSE(EndsWithNoCase("foto.\xC9", "\xE9"));
    EXPECT_TRUE(EndsWithNoCase("foto.\xE9", "\xE9"));
}
