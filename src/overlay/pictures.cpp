// The picture show: schedule look-up, flicker pick and shake.
#include "overlay/pictures.h"

#include "overlay/place.h"
#include "overlay/text.h"
#include "common/screen.h"
#include "show/clock.h"

#include <cmath>

SDL_Surface* logo[kPictureCount] = {};
Sprite logo_sprite[kPictureCount];

int picture_slot(double beat)
{
    const double slot = std::trunc(beat / kBeatsPerSlot);
    if (!(slot > 0)) return 0;
    if (slot > kScheduleSlots - 1) return kScheduleSlots - 1;
    return static_cast<int>(slot);
}

int picture_pick(double beat)
{
    const int entry = lgsj[picture_slot(beat)];
    if (entry != kFlicker) return entry;
    // The pick changes 1, 4, 7 and 10 times per beat in the slot's four quarters.
    const double m = std::fmod(beat, kBeatsPerSlot);
    const double k = std::floor(m / 4);
    return static_cast<int>(std::trunc((3 * k + 1) * m)) % 5;
}

SDL_Rect picture_place(double beat, double phase, int screen_w, int pw, int ph)
{
    const double shake = std::pow(0.00003, frac(beat / 8));
    const double amplitude = shake * 5;
    // The integer divisions come first, then the shake is added as a real.
    const int rest_x = (screen_w - pw) / 2;
    const int rest_y = (476 - ph) / 8;  // a fixed height, not the screen's
    SDL_Rect dst = {to_rect_coord(rest_x + std::sin(96 * phase) * amplitude),
                    to_rect_coord(rest_y + std::cos(128 * phase) * amplitude), 0, 0};
    return dst;
}

void draw_picture(SDL_Surface* s, double beat, double phase, Blitter blitter)
{
    const int pick = picture_pick(beat);
    if (pick < 0 || logo[pick] == nullptr) return;
    SDL_Surface* picture = logo[pick];
    SDL_Rect dst = picture_place(beat, phase, s->w, picture->w, picture->h);
    overlay_blit(blitter, picture, logo_sprite[pick], nullptr, s, &dst);
}

void make_overlay_sprites()
{
    if (fontti != nullptr) make_sprite(fontti, fontti_sprite);
    for (int i = 0; i < kPictureCount; ++i)
        if (logo[i] != nullptr) make_sprite(logo[i], logo_sprite[i]);
}
