// The compositor's conversion at load, SDL_UpperBlit's clipping, and the
// scalar blend; the SIMD rows are in compositor_lanes.cpp.
#include "overlay/compositor.h"

#include "common/screen.h"

#include <cstring>

namespace {

// An 8-bit channel on a byte boundary: what the conversion reads without loss.
bool byte_channel(std::uint32_t mask, std::uint8_t shift, std::uint8_t loss)
{
    return loss == 0 && shift % 8 == 0 && mask == 0xffu << shift;
}

std::uint32_t read_pixel(const std::uint8_t* p, int bytes)
{
    if (bytes == 3) return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16;
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

bool same_rgb(const SDL_PixelFormat* a, const SDL_PixelFormat* b)
{
    return a->Rmask == b->Rmask && a->Gmask == b->Gmask && a->Bmask == b->Bmask;
}

// The desktop's screen, whose SDL blits every build reproduces.
constexpr SDL_PixelFormat kDesktopFormat = [] {
    SDL_PixelFormat f{};
    f.Rmask = 0xff0000;
    f.Gmask = 0xff00;
    f.Bmask = 0xff;
    return f;
}();

// SDL_LowerBlit's rectangles after SDL_UpperBlit's clipping: the pixels go
// from (sx, sy) in the image to (dx, dy) on the screen, w x h of them.
void compose(const Sprite& sprite, Blitter blitter, int sx, int sy, SDL_Surface* dst, int dx, int dy,
             int w, int h)
{
    const std::ptrdiff_t src_stride = sprite.w;
    const std::ptrdiff_t dst_stride = dst->pitch / 4;
    const std::uint32_t* src = sprite.pixels.data() + sy * src_stride + sx;
    auto* out = static_cast<std::uint32_t*>(dst->pixels) + dy * dst_stride + dx;
    if (blitter == Blitter::simd && sprite.blend) {
        blend_rows_simd(src, src_stride, out, dst_stride, w, h);
        return;
    }
    for (int y = 0; y < h; ++y, src += src_stride, out += dst_stride) {
        if (sprite.blend)
            blend_row_scalar(src, out, w);
        else
            std::memcpy(out, src, std::size_t(w) * 4);
    }
}

}  // namespace

bool make_sprite(const SDL_Surface* loaded, Sprite& sprite)
{
    sprite = Sprite{};
    const SDL_PixelFormat* f = loaded->format;
    const int bytes = f->BytesPerPixel;
    if (!byte_channel(f->Rmask, f->Rshift, f->Rloss) || !byte_channel(f->Gmask, f->Gshift, f->Gloss) ||
        !byte_channel(f->Bmask, f->Bshift, f->Bloss) || (loaded->flags & SDL_SRCCOLORKEY) != 0)
        return false;
    // Which of SDL's blitters runs: 24-bit without alpha takes its plain
    // converter; 32-bit with per-pixel alpha in another order than the screen's
    // takes its generic per-pixel blend.
    const bool copy = bytes == 3 && f->Amask == 0 && (loaded->flags & SDL_SRCALPHA) == 0;
    const bool blend = bytes == 4 && f->Amask == 0xff000000u && f->Aloss == 0 &&
                       (loaded->flags & SDL_SRCALPHA) != 0 && !same_rgb(f, &kDesktopFormat);
    if (!copy && !blend) return false;
    sprite.pixels.resize(std::size_t(loaded->w) * std::size_t(loaded->h));
    for (int y = 0; y < loaded->h; ++y) {
        const auto* row = static_cast<const std::uint8_t*>(loaded->pixels) + y * loaded->pitch;
        for (int x = 0; x < loaded->w; ++x) {
            const std::uint32_t p = read_pixel(row + x * bytes, bytes);
            const std::uint32_t a = blend ? (p & f->Amask) >> f->Ashift : 0;
            sprite.pixels[std::size_t(y) * loaded->w + x] =
                a << 24 | ((p & f->Rmask) >> f->Rshift) << kRedShift | ((p & f->Gmask) >> f->Gshift) << 8 |
                ((p & f->Bmask) >> f->Bshift) << kBlueShift;
        }
    }
    sprite.source = loaded;
    sprite.w = loaded->w;
    sprite.h = loaded->h;
    sprite.blend = blend;
    return true;
}

bool takes_sprites(const SDL_Surface* screen)
{
    const SDL_PixelFormat* f = screen->format;
    return f->BytesPerPixel == 4 && f->Rmask == kRedMask && f->Gmask == kGreenMask && f->Bmask == kBlueMask &&
           screen->pitch % 4 == 0;
}

namespace {

// A rectangle's position field: 16 bits in SDL 1.2, an int in the browser's
// SDL, which is given the values SDL 1.2 would store.
using RectCoord = decltype(SDL_Rect::x);

// One axis of a source rectangle that starts before the image or runs past
// it, as SDL_UpperBlit trims it (the destination moves with a cut start).
void clip_to_source(int& src, int& len, RectCoord& dst_pos, int image_len)
{
    if (src < 0) {
        len += src;
        dst_pos = RectCoord(Sint16(dst_pos - src));
        src = 0;
    }
    if (image_len - src < len) len = image_len - src;
}

// One axis of the destination trimmed to the screen's clip rectangle, as
// SDL_UpperBlit trims it, with its 16-bit store of the new position.
void clip_to_screen(int& src, int& len, RectCoord& dst_pos, int clip_pos, int clip_len)
{
    int cut = clip_pos - dst_pos;
    if (cut > 0) {
        len -= cut;
        dst_pos = RectCoord(Sint16(dst_pos + cut));
        src += cut;
    }
    cut = dst_pos + len - clip_pos - clip_len;
    if (cut > 0) len -= cut;
}

}  // namespace

int overlay_blit(Blitter blitter, SDL_Surface* image, const Sprite& sprite, SDL_Rect* srcrect,
                 SDL_Surface* dst, SDL_Rect* dstrect)
{
    if (blitter == Blitter::sdl || image == nullptr || dst == nullptr || sprite.source != image ||
        image->w != sprite.w || image->h != sprite.h || !takes_sprites(dst))
        return SDL_UpperBlit(image, srcrect, dst, dstrect);
    if (image->locked || dst->locked) {
        SDL_SetError("Surfaces must not be locked during blit");
        return -1;
    }
    // SDL_UpperBlit's clipping step by step, down to its 16-bit stores into dstrect.
    SDL_Rect whole = {0, 0, 0, 0};
    if (dstrect == nullptr) dstrect = &whole;
    int srcx = 0, srcy = 0, w = image->w, h = image->h;
    if (srcrect != nullptr) {
        srcx = srcrect->x;
        w = srcrect->w;
        clip_to_source(srcx, w, dstrect->x, image->w);
        srcy = srcrect->y;
        h = srcrect->h;
        clip_to_source(srcy, h, dstrect->y, image->h);
    }
    const SDL_Rect& clip = dst->clip_rect;
    clip_to_screen(srcx, w, dstrect->x, clip.x, clip.w);
    clip_to_screen(srcy, h, dstrect->y, clip.y, clip.h);
    if (w <= 0 || h <= 0) {
        dstrect->w = dstrect->h = 0;
        return 0;
    }
    dstrect->w = Uint16(w);
    dstrect->h = Uint16(h);
    const bool lock = screen_must_lock(dst);
    if (lock && SDL_LockSurface(dst) < 0) return -1;
    compose(sprite, blitter, srcx, srcy, dst, dstrect->x, dstrect->y, w, h);
    if (lock) SDL_UnlockSurface(dst);
    return 0;
}

void blend_row_scalar(const std::uint32_t* src, std::uint32_t* dst, int n)
{
    for (int i = 0; i < n; ++i) {
        const std::uint32_t s = src[i];
        const std::uint32_t a = s >> 24;
        if (a == 0) continue;
        const std::uint32_t d = dst[i];
        // s * a + d * (256 - a) + 255 is the classic ((s - d) * a + 255 >> 8) + d
        // moved by 256 * d; it stays below 65536 per channel, so red and blue
        // share one multiply.
        const std::uint32_t inv = 256 - a;
        const std::uint32_t rb = ((s & 0xff00ffu) * a + (d & 0xff00ffu) * inv + 0xff00ffu) >> 8 & 0xff00ffu;
        const std::uint32_t g = ((s & 0xff00u) * a + (d & 0xff00u) * inv + 0xff00u) >> 8 & 0xff00u;
        const std::uint32_t blue_down = (rb & 0xffu) < (d & 0xffu) ? 0x01000000u : 0u;
        dst[i] = rb | g | blue_down;
    }
}
