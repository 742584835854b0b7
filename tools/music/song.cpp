// The composition: a 120 BPM piece in A minor, written as chords, drum bars,
// riffs, phrases and an order list whose 8-second sections follow the
// pictures of the show.
#include "song.h"

namespace music {
namespace {

// Chords, MIDI notes: bass root, then four pad tones voiced around middle C.
enum ChordName : std::uint8_t { Am, F, C, G, Em, Dm, E };
constexpr Chord kChords[] = {
    {33, {57, 60, 64, 67}},  // Am7: A1 | A3 C4 E4 G4
    {29, {53, 57, 60, 64}},  // Fmaj7: F1 | F3 A3 C4 E4
    {36, {55, 60, 64, 67}},  // C: C2 | G3 C4 E4 G4
    {31, {55, 59, 62, 67}},  // G: G1 | G3 B3 D4 G4
    {28, {55, 59, 64, 67}},  // Em: E1 | G3 B3 E4 G4
    {38, {57, 62, 65, 69}},  // Dm: D2 | A3 D4 F4 A4
    {28, {56, 59, 62, 64}},  // E7: E1 | G#3 B3 D4 E4
};

// Four chords, one per bar of a section.
constexpr std::uint8_t kProgressions[][4] = {
    {Am, F, C, G},    // 0: the hook's progression
    {F, G, Em, Am},   // 1: the answer, landing on the tonic
    {Dm, Am, F, E},   // 2: the half-time stretch, ending on the dominant
    {Dm, E, Am, Am},  // 3: the closing cadence
    {Am, Am, Am, Am}, // 4: the final chord
};

// Drum bars; steps 0, 4, 8 and 12 are the beats.
constexpr const char* kRest = "................";
constexpr const char* kFour = "x...x...x...x...";
constexpr DrumBar kDrumBars[] = {
    /* 0 silence    */ {kRest, kRest, kRest, kRest, kRest},
    /* 1 kick alone */ {kFour, kRest, kRest, kRest, kRest},
    /* 2 build      */ {kFour, kRest, kRest, "..5...5...5...5.", kRest},
    /* 3 build+clap */ {kFour, kRest, "....x.......x...", "..6...6...6...6.", kRest},
    /* 4 8th roll   */ {kFour, "3.3.4.4.5.5.6.6.", kRest, "..6...6...6...6.", kRest},
    /* 5 16th roll  */ {kFour, "4455667788899xxx", kRest, kRest, kRest},
    /* 6 main       */ {kFour, kRest, "....x.......x...", "3.x33.x33.x33.x3", kRest},
    /* 7 open hats  */ {kFour, kRest, "....x.......x...", "3..33..33..33..3", "..x...x...x...x."},
    /* 8 fill       */ {"x...x...x...x.x.", "..........5.6789", "....x...........", "3.x33.x33.x3....", kRest},
    /* 9 half time  */ {"x.........x.....", "........x.......", kRest, "..5...5...5...5.", kRest},
    /* 10 break 8ths*/ {kRest, "3.3.4.4.5.5.6.6.", kRest, kRest, kRest},
    /* 11 break 16th*/ {kRest, "4455667788899xxx", kRest, kRest, kRest},
    /* 12 climax    */ {kFour, "....7.......7.3.", "....x.......x...", "4.x44.x44.x44.x4", "......x.......x."},
    /* 13 one kick  */ {"x...............", kRest, kRest, kRest, kRest},
    /* 14 wind-down */ {kFour, kRest, kRest, "..5...5...5...5.", kRest},
};

// Bass riffs, one bar: '1' root, '4' fourth, '5' fifth, '7' minor seventh,
// '8' octave; '.' holds the note, '-' stops it.
constexpr const char* kBassRiffs[] = {
    /* 0 whole   */ "1 . . . . . . . . . . . . . . .",
    /* 1 offbeat */ "- - 1 - - - 1 - - - 1 - - - 1 -",
    /* 2 rolling */ "- 1 8 1 - 1 8 1 - 1 8 1 - 1 5 8",
    /* 3 groove  */ "1 . - 1 - 8 - 1 . - 1 - 7 - 8 -",
    /* 4 half    */ "1 . . . . . . . - . 1 . 8 . - .",
};

// Arpeggios, one bar: chord tone 0-3 one octave above the pad, 4-7 two.
constexpr const char* kArpPatterns[] = {
    /* 0 up-down */ "0 1 2 3 4 3 2 1 0 1 2 3 4 3 2 1",
    /* 1 broken  */ "0 2 4 2 1 3 5 3 0 2 4 6 5 3 2 1",
    /* 2 eighths */ "0 . 2 . 1 . 3 . 2 . 4 . 3 . 1 .",
    /* 3 falling */ "4 2 0 2 5 3 1 3 6 4 2 4 5 3 1 3",
};

// Lead phrases, four bars of 16 steps each.
constexpr const char* kLeadPhrases[] = {
    /* 0 hook (Am F C G) */
    "E5 . . A5 . . G5 . E5 . . D5 . C5 . . "
    "C5 . . D5 . . E5 . . . . . - . . . "
    "E5 . . G5 . . C6 . B5 . . G5 . E5 . . "
    "D5 . . . . . B4 . D5 . . . - . . . ",
    /* 1 hook, second half (Am F C G) */
    "E5 . . A5 . . G5 . E5 . . D5 . C5 . . "
    "C5 . . D5 . . E5 . . . A5 . G5 . F5 . "
    "E5 . . . . . D5 . C5 . . D5 . . E5 . "
    "D5 . . . . . . . B4 . . . C5 . D5 . ",
    /* 2 answer (F G Em Am) */
    "A5 . . . G5 . . . F5 . . . E5 . C5 . "
    "D5 . . . . . . . B4 . . . D5 . . . "
    "E5 . . . G5 . . . B5 . . . A5 . G5 . "
    "A5 . . . . . . . E5 . . . - . . . ",
    /* 3 answer, higher (F G Em Am) */
    "C6 . . . A5 . . . F5 . . . A5 . C6 . "
    "B5 . . . . . G5 . D5 . . . G5 . . . "
    "B5 . . . . . G5 . E5 . . . G5 . B5 . "
    "A5 . . . . . . . . . . . - . . . ",
    /* 4 farewell (Dm E Am Am) */
    "F5 . . . E5 . . . D5 . . . A4 . . . "
    "G#4 . . . B4 . . . E5 . . . D5 . . . "
    "C5 . . . . . . . B4 . . . . . . . "
    "A4 . . . . . . . . . . . . . . . ",
};

enum Lead : std::int8_t { none = -1, hook, hook2, answer, answer2, farewell };

// The order list, one 8-second section per row, times in seconds.
// prog, drum bars, bass, arp, lead, lead x2, crash, riser, bars,
// pad filter Hz, arp filter Hz, pad dB, arp dB, lead dB.
constexpr Section kSections[] = {
    // 0-16 intro: the pad alone, then a soft arpeggio and a rising sweep.
    {0, {0, 0, 0, 0}, -1, -1, none, false, false, false, 4, {300, 800}, {800, 800}, -12, -99, -2.5},
    {0, {0, 0, 0, 0}, -1, 2, none, false, false, true, 4, {800, 1500}, {500, 1400}, -9, -12, -2.5},
    // 16-32 the beat comes in and builds towards the logo.
    {0, {2, 2, 2, 2}, 1, 2, none, false, true, false, 4, {1200, 1600}, {900, 2000}, -3, -6, -2.5},
    {0, {3, 3, 4, 5}, 1, 0, none, false, false, true, 4, {1600, 2400}, {1500, 4500}, -6, -8, -2.5},
    // 32-48 the logo: the full band and the hook.
    {0, {6, 6, 6, 6}, 2, 0, hook, false, true, false, 4, {2500, 2500}, {2500, 3500}, -6, -9, -2.5},
    {0, {6, 6, 6, 8}, 2, 0, hook2, false, false, false, 4, {2500, 2500}, {3000, 4000}, -6, -9, -2.5},
    // 48-56 first flicker: drums out, the arpeggio's filter sweeps, a roll.
    {0, {0, 0, 10, 11}, 0, 1, none, false, false, true, 4, {1500, 3000}, {400, 6000}, -7, -8, -2.5},
    // 56-64 back in.
    {0, {6, 6, 6, 6}, 2, 0, hook, false, true, false, 4, {2500, 2500}, {3000, 3000}, -6, -9, -2.5},
    // 64-80 the answer, arpeggio in front, open hats.
    {1, {7, 7, 7, 7}, 3, 1, none, false, true, false, 4, {2000, 2500}, {2500, 5000}, -5, -6, -2.5},
    {1, {7, 7, 7, 8}, 3, 1, answer, false, false, false, 4, {2500, 2500}, {3500, 3500}, -5, -8, -2.5},
    // 80-112 second verse: hook chords with a groove bass, then the answer.
    {0, {6, 6, 6, 6}, 3, 3, none, false, true, false, 4, {2000, 2500}, {2000, 4000}, -5, -6, -2.5},
    {0, {6, 6, 6, 8}, 3, 3, hook2, false, false, false, 4, {2500, 2500}, {3000, 3000}, -6, -9, -2.5},
    {1, {7, 7, 7, 7}, 2, 1, answer, false, true, false, 4, {2500, 2500}, {3000, 3000}, -6, -9, -2.5},
    {1, {7, 7, 7, 8}, 2, 1, answer2, false, false, false, 4, {2500, 3000}, {3000, 3500}, -5, -8, -2.5},
    // 112-128 the hook again.
    {0, {6, 6, 6, 6}, 2, 0, hook, false, true, false, 4, {2500, 2500}, {3000, 3000}, -6, -9, -2.5},
    {0, {6, 6, 6, 8}, 2, 0, hook2, false, false, false, 4, {2500, 2500}, {3000, 3500}, -6, -9, -2.5},
    // 128-144 half time, darker, winding up.
    {2, {9, 9, 9, 9}, 4, 2, none, false, true, false, 4, {1200, 1500}, {700, 1500}, -3, -6, -2.5},
    {2, {9, 9, 9, 8}, 4, 1, none, false, false, false, 4, {1500, 2500}, {1200, 3500}, -3, -6, -2.5},
    // 144-152 second flicker: the hook alone over the pad, then a roll.
    {0, {0, 0, 10, 11}, 0, -1, hook, false, false, true, 4, {1500, 3500}, {800, 800}, -7, -99, -2.5},
    // 152-160 build: kick, claps, rolls, rising sweep.
    {0, {1, 3, 4, 5}, 1, 0, none, false, false, true, 4, {2000, 3500}, {1500, 7000}, -3, -6, -2.5},
    // 160-224 climax: everything open, the lead doubled an octave up.
    {0, {12, 12, 12, 12}, 2, 3, hook, true, true, false, 4, {4000, 4000}, {5000, 5000}, -2, -5, 0},
    {0, {12, 12, 12, 12}, 2, 3, hook2, true, false, false, 4, {4000, 4000}, {5000, 5000}, -2, -5, 0},
    {1, {12, 12, 12, 12}, 2, 1, answer, true, true, false, 4, {4000, 4000}, {5000, 5000}, -2, -5, 0},
    {1, {12, 12, 12, 8}, 2, 1, answer2, true, false, true, 4, {4000, 4500}, {5000, 7000}, -2, -5, 0},
    {0, {12, 12, 12, 12}, 2, 0, hook, true, true, false, 4, {4500, 4500}, {6000, 6000}, -2, -5, 0},
    {0, {12, 12, 12, 12}, 2, 0, hook2, true, false, false, 4, {4500, 4500}, {6000, 6000}, -2, -5, 0},
    {1, {12, 12, 12, 12}, 2, 3, answer, true, true, false, 4, {4500, 4500}, {6000, 6000}, -2, -5, 0},
    {1, {12, 12, 12, 8}, 2, 3, answer2, true, false, false, 4, {4500, 4000}, {6000, 4000}, -2, -5, 0},
    // 224-232 last picture: the band thins out.
    {0, {14, 14, 14, 13}, 1, 2, none, false, true, false, 4, {3000, 1500}, {3000, 1000}, -4, -6, -2.5},
    // 232-248 ending: cadence to A minor, a last hit, the chord rings out.
    {3, {13, 0, 0, 0}, 0, -1, farewell, false, true, false, 4, {1500, 1500}, {800, 800}, -3, -99, -2.5},
    {4, {13, 0, 0, 0}, 0, -1, none, false, true, false, 2, {1500, 600}, {800, 800}, -3, -99, -2.5},
};
static_assert(sizeof(kSections) / sizeof(kSections[0]) == kSectionCount,
              "the order list covers the whole arrangement");

constexpr Song kSong = {kChords, kProgressions, kDrumBars, kBassRiffs, kArpPatterns,
                        kLeadPhrases, kSections, kSectionCount};

}  // namespace

const Song& the_song() { return kSong; }

}  // namespace music
