// The text renderer against an atlas whose glyph cells have colours of their
// own: which glyph lands where, the drawing window, typing and the ripple.
#include "overlay/text.h"

#include "fixtures.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

class TextTest : public ::testing::Test, protected FontOnScreen {
protected:
    // Glyph drawn at pen x on the line whose top is y, looked up one pixel inside.
    int glyph_at_pen(int x, int y = 100) const { return glyph_at(screen.get(), x + 1, y + 1); }
};

TEST_F(TextTest, GlyphsLandAtTheirPenWithTheirOwnCell)
{
    teksti(screen.get(), 10, 100, "AM1!", 100, 0);
    EXPECT_EQ(glyph_at_pen(10), 0);                     // A, 92 wide
    EXPECT_EQ(glyph_at_pen(10 + 102), 12);              // M, 108 wide
    EXPECT_EQ(glyph_at_pen(10 + 102 + 118), 32);        // 1, 52 wide
    EXPECT_EQ(glyph_at_pen(10 + 102 + 118 + 62), 44);   // !
    EXPECT_EQ(glyph_at(screen.get(), 10 + 92, 101), -1);  // the gap after A
    EXPECT_EQ(top_of_glyph(screen.get(), 11, 0), 100);
    EXPECT_EQ(glyph_at(screen.get(), 11, 100 + 123), 0);
    EXPECT_EQ(glyph_at(screen.get(), 11, 100 + 124), -1);
}

TEST_F(TextTest, UpperAndLowerCaseDrawTheSameGlyph)
{
    for (char c = 'a'; c <= 'z'; ++c) {
        SDL_FillRect(screen.get(), nullptr, 0);
        const char text[] = {c, static_cast<char>(c - 32), '\0'};
        teksti(screen.get(), 0, 100, text, 100, 0);
        const int g = c - 'a';
        ASSERT_EQ(glyph_at_pen(0), g) << c;
        ASSERT_EQ(glyph_at_pen(fontr[g].w + 10), g) << c;
    }
}

TEST_F(TextTest, EveryMarkAndDigitDrawsItsOwnGlyph)
{
    const std::string marks = "+,-./0123456789:;?!'()";
    for (char c : marks) {
        SDL_FillRect(screen.get(), nullptr, 0);
        const char text[] = {c, '\0'};
        teksti(screen.get(), 300, 100, text, 100, 0);
        const auto expected = static_cast<int>(std::string(kGlyphChars).find(c));
        // The full stop and the slash share one cell, painted in the slash's colour.
        ASSERT_EQ(glyph_at_pen(300), c == '.' ? 30 : expected) << c;
    }
}

TEST_F(TextTest, BytesOutsideTheFontAdvanceWithoutDrawing)
{
    const char unmapped[] = {' ', '*', '<', '"', '\t', '#', char(0x80), char(0xC3), char(0xFF)};
    for (char c : unmapped) {
        SDL_FillRect(screen.get(), nullptr, 0);
        const char text[] = {'I', c, 'I', '\0'};
        teksti(screen.get(), 0, 100, text, 100, 0);
        ASSERT_EQ(glyph_at_pen(0), 8);
        // I is 44 wide: the second I starts after 54 + 106, and nothing lies between.
        ASSERT_EQ(glyph_at_pen(54 + 106), 8) << int(static_cast<unsigned char>(c));
        ASSERT_FALSE(column_touched(screen.get(), 54 + 50));
        ASSERT_EQ(advance_of(c), 106);
    }
}

TEST_F(TextTest, DrawingWindowRunsFromMinus100ToTheScreenWidth)
{
    // M is 108 wide: at -100 its last 8 columns show; at -101 it is not drawn
    // at all, though 7 of its columns would be on screen.
    teksti(screen.get(), -100, 100, "M", 100, 0);
    EXPECT_EQ(glyph_at(screen.get(), 7, 101), 12);
    EXPECT_EQ(glyph_at(screen.get(), 8, 101), -1);
    SDL_FillRect(screen.get(), nullptr, 0);
    teksti(screen.get(), -101, 100, "M", 100, 0);
    EXPECT_TRUE(surface_blank(screen.get()));
    teksti(screen.get(), 800, 100, "M", 100, 0);
    EXPECT_TRUE(surface_blank(screen.get()));
    teksti(screen.get(), 799, 100, "M", 100, 0);
    EXPECT_EQ(glyph_at(screen.get(), 799, 101), 12);
}

TEST_F(TextTest, ShownHoldsBackLaterCharacters)
{
    teksti(screen.get(), 0, 100, "ABC", -1, 0);
    EXPECT_TRUE(surface_blank(screen.get()));
    teksti(screen.get(), 0, 100, "ABC", 0, 0);
    EXPECT_EQ(glyph_at_pen(0), 0);
    EXPECT_EQ(glyph_at_pen(102), -1);
    teksti(screen.get(), 0, 100, "ABC", 1.5, 0);
    EXPECT_EQ(glyph_at_pen(102), 1);
    EXPECT_EQ(glyph_at_pen(204), -1);
    // Spaces count as characters even though they draw nothing.
    SDL_FillRect(screen.get(), nullptr, 0);
    teksti(screen.get(), 0, 100, "  A", 1.99, 0);
    EXPECT_TRUE(surface_blank(screen.get()));
}

TEST_F(TextTest, RippleLiftsGlyphsBySineOfTheirPen)
{
    // At pen 0 the sine is 0: raised by lift. Near pen 157 it is ~1: raised by ~2 lift.
    teksti(screen.get(), 0, 300, "I", 100, 20);
    EXPECT_EQ(top_of_glyph(screen.get(), 1, 8), 280);
    SDL_FillRect(screen.get(), nullptr, 0);
    teksti(screen.get(), 157, 300, "I", 100, 20);
    EXPECT_EQ(top_of_glyph(screen.get(), 158, 8), 260);  // 300 - 39.99..., truncated
    SDL_FillRect(screen.get(), nullptr, 0);
    teksti(screen.get(), 471, 300, "I", 100, 20);  // sin(4.71) ~ -1
    EXPECT_EQ(top_of_glyph(screen.get(), 472, 8), 299);
}

TEST_F(TextTest, EmptyTextAndExtremeArgumentsAreHarmless)
{
    teksti(screen.get(), 0, 0, "", 100, 0);
    EXPECT_TRUE(surface_blank(screen.get()));
    const std::string long_text(5000, 'W');
    teksti(screen.get(), INT_MAX - 5, 0, long_text.c_str(), 1e9, 30);
    teksti(screen.get(), INT_MIN, 0, long_text.c_str(), 1e9, 30);
    teksti(screen.get(), 0, INT_MIN, "ABC", 1e9, 1e300);
    teksti(screen.get(), 0, INT_MAX, "ABC", 1e9, -1e300);
    EXPECT_TRUE(surface_blank(screen.get()));
    // A far-off start is not wrapped back on screen by the 16-bit rectangle.
    teksti(screen.get(), 0, 65536 + 100, "A", 100, 0);
    EXPECT_TRUE(surface_blank(screen.get()));
}

TEST(TextLayout, WidthsFollowTheGlyphTable)
{
    EXPECT_EQ(text_width(""), 0);
    EXPECT_EQ(text_width("hmm..."), 102 + 118 + 118 + 46 + 46 + 46);
    EXPECT_EQ(text_width("I W"), 54 + 106 + 118);
    EXPECT_EQ(last_glyph_offset("I W"), 54 + 106);
    EXPECT_EQ(last_glyph_offset("   "), -1);
}

}  // namespace
