// Our own compositing of the font atlas and the pictures onto the 32-bit screen,
// pixel for pixel what SDL 1.2.15's blitter gives for the surfaces the loader
// makes, so a frame does not depend on which SDL library runs the show.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

// An image converted once at load for the compositor. Pixels are in the screen's
// order, 0xAARRGGBB, alpha 255 for an opaque image.
struct Sprite {
    const SDL_Surface* source = nullptr;  // the loaded surface it was made from
    std::vector<std::uint32_t> pixels;    // w * h, row after row
    int w = 0;
    int h = 0;
    bool blend = false;  // per-pixel alpha; otherwise an opaque copy
};

// How an overlay is put on the screen: SDL_UpperBlit (the reference, and the
// way for any surface the compositor does not reproduce), our scalar rows, or
// our rows across SIMD lanes (the show's way).
enum class Blitter { sdl, scalar, simd };

// Converts a loaded surface whose SDL blit onto the screen we reproduce:
// 24-bit without alpha (copied), and 32-bit with an 8-bit alpha channel and the
// per-pixel alpha flag, in another channel order than the screen's (blended).
// False, leaving sprite empty, for any other surface.
bool make_sprite(const SDL_Surface* loaded, Sprite& sprite);

// The screen the compositor writes: 32 bits, red 0xff0000, green 0xff00,
// blue 0xff, no alpha channel.
bool takes_sprites(const SDL_Surface* screen);

// Blits image (or its sprite, when the sprite was made from it and the screen
// takes sprites) onto dst as SDL_UpperBlit would: the same clipping to the
// image and to dst's clip rectangle, the same rectangles written back, the
// same pixels. Returns what SDL_UpperBlit returns.
int overlay_blit(Blitter blitter, SDL_Surface* image, const Sprite& sprite, SDL_Rect* srcrect,
                 SDL_Surface* dst, SDL_Rect* dstrect);

// One row of the classic blend, per channel c of each pixel with alpha a > 0:
// c' = ((c_s - c_d) * a + 255 >> 8) + c_d in unsigned 32-bit arithmetic, which
// leaves bit 24 set where blue came out below the screen's; a = 0 leaves the
// pixel alone. The scalar path, and the tail of the SIMD one.
void blend_row_scalar(const std::uint32_t* src, std::uint32_t* dst, int n);

// The same rows across SIMD lanes, on the widest target the processor has.
void blend_rows_simd(const std::uint32_t* src, std::ptrdiff_t src_stride, std::uint32_t* dst,
                     std::ptrdiff_t dst_stride, int w, int h);

// The name of the SIMD target blend_rows_simd runs on ("AVX2", "EMU128", ...).
const char* blend_rows_target();
