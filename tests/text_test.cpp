// The text renderer against an atlas whose glyph cells have colours of their
// own: which glyph lands where, the drawing window, typing and the ripple.
#include "overlay/text.h"

#include "fixtures.h"

#include <gtest/gtest.h>

#include <cctype>
#include <climits>
#include <cstring>
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

TEST_F(TextTest, EveryByteDrawsItsGlyphOrAdvancesBlank)
{
    // A letter in either case, a mark or a digit draws the glyph of its place in
    // the table (the full stop's cell shows the slash's colour), and the next
    // glyph follows its width and gap; every other byte draws nothing and
    // advances 106 pixels.
    for (int b = 1; b < 256; ++b) {
        SDL_FillRect(screen.get(), nullptr, 0);
        const char text[] = {char(b), 'I', '\0'};
        teksti(screen.get(), 0, 100, text, 100, 0);
        const char* found = std::strchr(kGlyphChars, std::toupper(b));
        const int g = found != nullptr && b < 128 ? int(found - kGlyphChars) : -1;
        ASSERT_EQ(glyph_at_pen(0), g == 29 ? 30 : g) << "byte " << b;
        ASSERT_EQ(glyph_at_pen(g < 0 ? 106 : fontr[g].w + 10), 8) << "byte " << b;
        ASSERT_EQ(advance_of(char(b)), g < 0 ? 106 : fontr[g].w + 10) << "byte " << b;
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
