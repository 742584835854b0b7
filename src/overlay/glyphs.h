// The bitmap font's glyph table: where each glyph lies in the font atlas, and
// which byte of text draws which glyph. Shared by the text renderer and the
// tool that paints the atlas.
#pragma once

#include <SDL.h>

// The atlas must be at least this large to hold every rectangle below.
constexpr int kAtlasMinWidth = 876;
constexpr int kAtlasMinHeight = 636;
constexpr int kGlyphCount = 48;
constexpr int kGlyphHeight = 124;

// Glyph rectangles in the atlas, in pixels: x, y, width, height. They are not
// on a regular grid (Y sits at x = 596; M and W are 108 wide); the slash shares
// the full stop's rectangle.
constexpr SDL_Rect fontr[kGlyphCount] = {
    {0, 0, 92, 124},     {96, 0, 92, 124},    {192, 0, 92, 124},   {288, 0, 92, 124},    // A B C D
    {384, 0, 92, 124},   {480, 0, 92, 124},   {576, 0, 92, 124},   {672, 0, 92, 124},    // E F G H
    {768, 0, 44, 124},   {0, 128, 92, 124},   {96, 128, 92, 124},  {192, 128, 92, 124},  // I J K L
    {288, 128, 108, 124}, {400, 128, 92, 124}, {496, 128, 92, 124}, {592, 128, 92, 124}, // M N O P
    {688, 128, 92, 124}, {784, 128, 92, 124}, {0, 256, 92, 124},   {96, 256, 92, 124},   // Q R S T
    {192, 256, 92, 124}, {288, 256, 92, 124}, {384, 256, 108, 124}, {496, 256, 92, 124}, // U V W X
    {596, 256, 92, 124}, {688, 256, 92, 124},                                           // Y Z
    {616, 512, 56, 124}, {256, 512, 36, 124}, {552, 512, 56, 124}, {216, 512, 36, 124},  // + , - .
    {216, 512, 36, 124},                                                                // /
    {768, 384, 92, 124}, {784, 256, 52, 124}, {0, 384, 92, 124},   {96, 384, 92, 124},   // 0 1 2 3
    {192, 384, 92, 124}, {288, 384, 92, 124}, {384, 384, 92, 124}, {480, 384, 92, 124},  // 4 5 6 7
    {576, 384, 92, 124}, {672, 384, 92, 124},                                           // 8 9
    {472, 512, 36, 124}, {512, 512, 36, 124}, {336, 512, 92, 124}, {296, 512, 36, 124},  // : ; ? !
    {432, 512, 36, 124}, {0, 512, 56, 124},   {60, 512, 56, 124},                       // ' ( )
};

// The character each glyph stands for, in table order (letters as capitals).
constexpr char kGlyphChars[kGlyphCount + 1] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ+,-./0123456789:;?!'()";

// The glyph a byte of text draws, or -1 for none (space, '*', '<', '"', and
// every byte from 128 up). Bytes are taken as signed, as the show's text is.
constexpr int glyph_for_byte(signed char c)
{
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a';
    if (c >= '+' && c <= ';') return c - 17;
    switch (c) {
    case '?': return 43;
    case '!': return 44;
    case '\'': return 45;
    case '(': return 46;
    case ')': return 47;
    default: return -1;
    }
}
