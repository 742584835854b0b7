// The composition: a 120 BPM piece, written as chords, drum bars, riffs,
// phrases and an order list of 8-second sections. The first part, in A
// minor, follows the pictures of the show; the second, calmer, carries the
// long scroll text: it turns to C major, lifts to D major and comes home to
// A minor for the last glyph and a final chord.
#include "song.h"

namespace music {
namespace {

// Chords, MIDI notes: bass root, then four pad tones voiced around middle C.
enum ChordName : std::uint8_t { Am, F, C, G, Em, Dm, E, Cmaj9, Gadd9, Am9, Fmaj9, Em7, Dm9, Gsus, Bb, A };
constexpr Chord kChords[] = {
    {33, {57, 60, 64, 67}},  // Am7: A1 | A3 C4 E4 G4
    {29, {53, 57, 60, 64}},  // Fmaj7: F1 | F3 A3 C4 E4
    {36, {55, 60, 64, 67}},  // C: C2 | G3 C4 E4 G4
    {31, {55, 59, 62, 67}},  // G: G1 | G3 B3 D4 G4
    {28, {55, 59, 64, 67}},  // Em: E1 | G3 B3 E4 G4
    {38, {57, 62, 65, 69}},  // Dm: D2 | A3 D4 F4 A4
    {28, {56, 59, 62, 64}},  // E7: E1 | G#3 B3 D4 E4
    {36, {52, 55, 59, 62}},  // Cmaj9 (no root): C2 | E3 G3 B3 D4
    {31, {55, 57, 59, 62}},  // Gadd9: G1 | G3 A3 B3 D4
    {33, {55, 59, 60, 64}},  // Am9 (no root): A1 | G3 B3 C4 E4
    {29, {55, 57, 60, 64}},  // Fmaj9: F1 | G3 A3 C4 E4
    {28, {55, 59, 62, 64}},  // Em7: E1 | G3 B3 D4 E4
    {38, {53, 57, 60, 64}},  // Dm9: D2 | F3 A3 C4 E4
    {31, {55, 60, 62, 67}},  // Gsus4: G1 | G3 C4 D4 G4
    {34, {53, 58, 62, 65}},  // Bb: Bb1 | F3 Bb3 D4 F4
    {33, {57, 61, 64, 69}},  // A: A1 | A3 C#4 E4 A4, the major third at the very end
};

// Four chords, one per bar of a section.
constexpr std::uint8_t kProgressions[][4] = {
    {Am, F, C, G},              // 0: the hook's progression
    {F, G, Em, Am},             // 1: the answer, landing on the tonic
    {Dm, Am, F, E},             // 2: the half-time stretch, ending on the dominant
    {Dm, E, Am, Am},            // 3: the cadence
    {Dm, E, F, G},              // 4: the turn from A minor towards C major
    {Cmaj9, Cmaj9, Fmaj9, Fmaj9},  // 5: arrival in the major key
    {Cmaj9, Em7, Fmaj9, Gsus},  // 6: the major theme
    {Fmaj9, Gadd9, Cmaj9, Am9}, // 7: the theme's second line
    {Dm9, Gadd9, Cmaj9, Fmaj9}, // 8: the theme's third line
    {Fmaj9, Gsus, Bb, A},       // 9: pivot, A being the dominant of D major
    {Dm, E, Dm, E},             // 10: on the dominant, back towards A minor
    {F, G, Dm, E},              // 11: the last approach
    {E, A, A, A},               // 12: the final chord
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
    /* 15 soft four */ {"6...6...6...6...", kRest, kRest, "..3...3...3...3.", kRest},
    /* 16 half, 8ths*/ {"x.........x.....", kRest, "........7.......", "3.4.3.4.3.4.3.4.", kRest},
    /* 17 mellow    */ {"7...7...7...7...", kRest, "....6.......6...", "2.4.2.4.2.4.2.4.", "..4...4...4...4."},
    /* 18 climax 16s*/ {kFour, "....7.......7.35", "....x.......x...", "5353535353535353", "..x...x...x...x."},
    /* 19 big fill  */ {"x...x...x.x.x.x.", "........4.5.6789", kRest, "3.x33.x3........", kRest},
    /* 20 soft fill */ {"6...6...6.......", "........3.4.5.67", kRest, "..3...3.........", kRest},
    /* 21 last hit  */ {"x...............", "x...............", "x...............", kRest, kRest},
};

// Bass riffs, one bar: '1' root, '4' fourth, '5' fifth, '7' minor seventh,
// '8' octave; '.' holds the note, '-' stops it.
constexpr const char* kBassRiffs[] = {
    /* 0 whole    */ "1 . . . . . . . . . . . . . . .",
    /* 1 offbeat  */ "- - 1 - - - 1 - - - 1 - - - 1 -",
    /* 2 rolling  */ "- 1 8 1 - 1 8 1 - 1 8 1 - 1 5 8",
    /* 3 groove   */ "1 . - 1 - 8 - 1 . - 1 - 7 - 8 -",
    /* 4 half     */ "1 . . . . . . . - . 1 . 8 . - .",
    /* 5 pulse    */ "1 . . . . . 1 . . . 5 . . . 8 .",
    /* 6 quarters */ "1 . - . 1 . - . 5 . - . 8 . - .",
    /* 7 drive    */ "1 1 8 1 - 1 8 1 1 1 8 1 - 1 7 8",
};

// Arpeggios, one bar: chord tone 0-3 one octave above the pad, 4-7 two.
constexpr const char* kArpPatterns[] = {
    /* 0 up-down */ "0 1 2 3 4 3 2 1 0 1 2 3 4 3 2 1",
    /* 1 broken  */ "0 2 4 2 1 3 5 3 0 2 4 6 5 3 2 1",
    /* 2 eighths */ "0 . 2 . 1 . 3 . 2 . 4 . 3 . 1 .",
    /* 3 falling */ "4 2 0 2 5 3 1 3 6 4 2 4 5 3 1 3",
    /* 4 bells   */ "0 . . 2 . . 4 . . 3 . . 1 . 5 .",
    /* 5 wide    */ "0 4 1 5 2 6 3 7 3 6 2 5 1 4 0 4",
};

// Phrases for either lead, four bars of 16 steps each, in the key written;
// a section's transposition moves them with the chords.
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
    /* 5 turn (Dm E F G) */
    "F5 . . . E5 . . . D5 . . . A4 . . . "
    "G#4 . . . B4 . . . E5 . . . . . . . "
    "F5 . . . A5 . . . C6 . . . A5 . . . "
    "G5 . . . . . . . D5 . . . B4 . . . ",
    /* 6 theme (Cmaj9 Em7 Fmaj9 Gsus) */
    "E5 . . . . . G5 . D5 . . . C5 . . . "
    "B4 . . . . . . . G4 . . . B4 . D5 . "
    "C5 . . . A4 . . . C5 . . . F5 . E5 . "
    "D5 . . . . . . . . . . . - . . . ",
    /* 7 theme, second line (Fmaj9 Gadd9 Cmaj9 Am9) */
    "A5 . . . G5 . . . F5 . E5 . . . C5 . "
    "D5 . . . . . B4 . G4 . . . . . . . "
    "E5 . . . G5 . . . C6 . . . B5 . G5 . "
    "A5 . . . . . . . E5 . . . - . . . ",
    /* 8 theme, third line (Dm9 Gadd9 Cmaj9 Fmaj9) */
    "F5 . . . A5 . . . C6 . . . A5 . . . "
    "B5 . . . . . . . D6 . . . B5 . G5 . "
    "C6 . . . . . . . G5 . . . E5 . . . "
    "F5 . . . . . . . A5 . . . - . . . ",
    /* 9 bells (Cmaj9 Cmaj9 Fmaj9 Fmaj9) */
    "C6 . . . G5 . . . E5 . . . G5 . . . "
    "D6 . . . . . . . B5 . . . G5 . . . "
    "C6 . . . A5 . . . F5 . . . A5 . . . "
    "E6 . . . . . . . . . . . - . . . ",
    /* 10 counter to the theme (Cmaj9 Em7 Fmaj9 Gsus) */
    "G4 . . . . . . . . . . . C5 . . . "
    "B4 . . . . . . . . . . . E5 . . . "
    "A4 . . . . . . . . . . . C5 . . . "
    "D5 . . . . . . . C5 . . . D5 . . . ",
    /* 11 counter to the hook (Am F C G) */
    "C5 . . . E5 . . . A5 . . . E5 . . . "
    "A4 . . . C5 . . . F5 . . . C5 . . . "
    "G4 . . . C5 . . . E5 . . . G5 . . . "
    "D5 . . . G5 . . . B5 . . . G5 . . . ",
    /* 12 counter to the answer (F G Em Am) */
    "A4 . . . C5 . . . F5 . . . C5 . . . "
    "B4 . . . D5 . . . G5 . . . D5 . . . "
    "B4 . . . E5 . . . G5 . . . E5 . . . "
    "C5 . . . E5 . . . A5 . . . E5 . . . ",
    /* 13 bells for the second line (Fmaj9 Gadd9 Cmaj9 Am9) */
    "C6 . . A5 . . F5 . C6 . . A5 . . F5 . "
    "D6 . . B5 . . G5 . D6 . . B5 . . G5 . "
    "E6 . . C6 . . G5 . E6 . . C6 . . G5 . "
    "E6 . . C6 . . A5 . E6 . . C6 . . A5 . ",
    /* 14 bells for the third line (Dm9 Gadd9 Cmaj9 Fmaj9) */
    "A5 . . F5 . . D5 . A5 . . F5 . . D5 . "
    "B5 . . G5 . . D5 . B5 . . G5 . . D5 . "
    "G5 . . E5 . . C5 . G5 . . E5 . . C5 . "
    "A5 . . F5 . . C5 . A5 . . F5 . . C5 . ",
    /* 15 pivot (Fmaj9 Gsus Bb A) */
    "A5 . . . G5 . . . F5 . . . E5 . . . "
    "D5 . . . . . . . C5 . . . D5 . . . "
    "D5 . . . F5 . . . A#5 . . . F5 . . . "
    "E5 . . . . . . . C#5 . . . E5 . . . ",
    /* 16 last notes (E A A A) */
    "G#5 . . . B5 . . . D6 . . . E6 . . . "
    "C#6 . . . . . . . . . . . . . . . "
    ". . . . . . . . . . . . . . . . "
    ". . . . . . . . . . . . - . . . ",
};

enum Phrase : std::int8_t {
    none = -1, hook, hook2, answer, answer2, farewell, turn, theme, theme2, theme3,
    bells, counter, hook_counter, answer_counter, bells2, bells3, pivot, last_notes
};

// The order list, one 8-second section per row, times in seconds.
// prog, transpose, drum bars, bass, arp, lead, lead x2, lead 2, crash bar,
// riser, bars, pad filter Hz, arp filter Hz, pad dB, arp dB, lead dB,
// lead 2 dB, band dB.
constexpr Section kSections[] = {
    // 0-16 intro: the pad alone, then a soft arpeggio and a rising sweep.
    {0, 0, {0, 0, 0, 0}, -1, -1, none, false, none, -1, false, 4, {300, 800}, {800, 800}, -12, -99, -2.5, -99, -2},
    {0, 0, {0, 0, 0, 0}, -1, 2, none, false, none, -1, true, 4, {800, 1500}, {500, 1400}, -9, -12, -2.5, -99, -2},
    // 16-32 the beat comes in and builds towards the logo.
    {0, 0, {2, 2, 2, 2}, 1, 2, none, false, none, 0, false, 4, {1200, 1600}, {900, 2000}, -3, -6, -2.5, -99, -2.5},
    {0, 0, {3, 3, 4, 5}, 1, 0, none, false, none, -1, true, 4, {1600, 2400}, {1500, 4500}, -6, -8, -2.5, -99, -2.5},
    // 32-48 the logo: the band and the hook, held back for the climax.
    {0, 0, {6, 6, 6, 6}, 2, 0, hook, false, none, 0, false, 4, {2500, 2500}, {2500, 3500}, -6, -9, -2.5, -99, -3.5},
    {0, 0, {6, 6, 6, 8}, 2, 0, hook2, false, none, -1, false, 4, {2500, 2500}, {3000, 4000}, -6, -9, -2.5, -99, -3.5},
    // 48-56 first flicker: drums out, the arpeggio's filter sweeps, a roll.
    {0, 0, {0, 0, 10, 11}, 0, 1, none, false, none, -1, true, 4, {1500, 3000}, {400, 6000}, -7, -8, -2.5, -99, -2},
    // 56-64 back in, the second lead answering the hook.
    {0, 0, {6, 6, 6, 6}, 2, 3, hook, false, hook_counter, 0, false, 4, {2500, 2500}, {3000, 3000}, -6, -11, -2.5, -6, -2},
    // 64-80 the answer, arpeggio in front, open hats.
    {1, 0, {7, 7, 7, 7}, 3, 1, none, false, none, 0, false, 4, {2000, 2500}, {2500, 5000}, -5, -6, -2.5, -99, -2},
    {1, 0, {7, 7, 7, 8}, 3, 1, answer, false, none, -1, false, 4, {2500, 2500}, {3500, 3500}, -5, -8, -2.5, -99, -2},
    // 80-112 second verse: hook chords with a groove bass, then the answer.
    {0, 0, {6, 6, 6, 6}, 3, 3, none, false, hook_counter, 0, false, 4, {2000, 2500}, {2000, 4000}, -5, -7, -2.5, -5, -2},
    {0, 0, {6, 6, 6, 8}, 3, 3, hook2, false, none, -1, false, 4, {2500, 2500}, {3000, 3000}, -6, -9, -2.5, -99, -2},
    {1, 0, {7, 7, 7, 7}, 2, 1, answer, false, answer_counter, 0, false, 4, {2500, 2500}, {3000, 3000}, -6, -10, -2.5, -6, -2},
    {1, 0, {7, 7, 7, 8}, 2, 1, answer2, false, none, -1, false, 4, {2500, 3000}, {3000, 3500}, -5, -8, -2.5, -99, -2},
    // 112-128 the hook again, doubled.
    {0, 0, {6, 6, 6, 6}, 2, 5, hook, true, none, 0, false, 4, {2500, 2500}, {3000, 3000}, -6, -10, -2.5, -99, -1.5},
    {0, 0, {6, 6, 6, 8}, 2, 5, hook2, true, hook_counter, -1, false, 4, {2500, 2500}, {3000, 3500}, -6, -10, -2.5, -7, -1.5},
    // 128-144 half time, darker, winding up.
    {2, 0, {9, 9, 9, 9}, 4, 2, none, false, none, 0, false, 4, {1200, 1500}, {700, 1500}, -3, -6, -2.5, -99, -1.5},
    {2, 0, {9, 9, 9, 8}, 4, 1, none, false, none, -1, false, 4, {1500, 2500}, {1200, 3500}, -3, -6, -2.5, -99, -1.5},
    // 144-152 second flicker: the hook alone over the pad, then a roll.
    {0, 0, {0, 0, 10, 11}, 0, -1, hook, false, none, -1, true, 4, {1500, 3500}, {800, 800}, -7, -99, -2.5, -99, -1.5},
    // 152-160 build: kick, claps, rolls, rising sweep.
    {0, 0, {1, 3, 4, 5}, 1, 0, none, false, none, -1, true, 4, {2000, 3500}, {1500, 7000}, -3, -6, -2.5, -99, -1},
    // 160-192 climax: sixteenth hats, a driving bass, the lead doubled and the
    // second lead against it.
    {0, 0, {18, 18, 18, 18}, 7, 3, hook, true, hook_counter, 0, false, 4, {4000, 4000}, {5000, 5000}, -2, -5, 0, -4, 1},
    {0, 0, {18, 18, 18, 18}, 7, 5, hook2, true, none, -1, false, 4, {4000, 4000}, {5000, 5000}, -2, -5, 0, -99, 1},
    {1, 0, {18, 18, 18, 18}, 7, 1, answer, true, answer_counter, 0, false, 4, {4000, 4000}, {5000, 5000}, -2, -5, 0, -4, 1},
    {1, 0, {18, 18, 18, 19}, 7, 1, answer2, true, none, -1, true, 4, {4000, 4500}, {5000, 7000}, -2, -5, 0, -99, 1},
    // 192-224 the climax lifts a whole tone, to B minor.
    {0, 2, {12, 12, 12, 12}, 2, 3, hook, true, hook_counter, 0, false, 4, {4500, 4500}, {6000, 6000}, -2, -5, 0, -4, 1},
    {0, 2, {18, 18, 18, 18}, 7, 0, hook2, true, none, -1, false, 4, {4500, 4500}, {6000, 6000}, -2, -5, 0, -99, 1},
    {1, 2, {12, 12, 12, 12}, 2, 5, answer, true, answer_counter, 0, false, 4, {4500, 4500}, {6000, 6000}, -2, -5, 0, -4, 1},
    {1, 2, {18, 18, 18, 19}, 7, 3, answer2, true, none, -1, false, 4, {4500, 4000}, {6000, 4000}, -2, -5, 0, -99, 1},
    // 224-232 last picture: back in A minor, the band thins out.
    {0, 0, {14, 14, 14, 13}, 1, 2, none, false, none, 0, false, 4, {3000, 1500}, {3000, 1000}, -4, -6, -2.5, -99, -1},
    // 232-248 the turn: the cadence does not close, it opens into C major.
    {4, 0, {15, 15, 15, 20}, 0, -1, turn, false, none, 0, false, 4, {1500, 2000}, {800, 800}, -3, -99, -2.5, -99, -1},
    {5, 0, {13, 0, 0, 0}, 0, 4, none, false, bells, 0, false, 4, {2000, 1200}, {1500, 2500}, -5, -12, -2.5, -4, -1},
    // 248-336 the second part, in C major: the theme over soft drums,
    // growing a line at a time.
    {6, 0, {0, 0, 0, 0}, -1, 4, none, false, counter, -1, false, 4, {800, 1400}, {1200, 2200}, -7, -12, -2.5, -5, -3.5},
    {6, 0, {15, 15, 15, 15}, 0, 4, theme, false, none, 0, false, 4, {1400, 1800}, {1800, 2500}, -6, -12, -3, -99, -3.5},
    {7, 0, {15, 15, 15, 20}, 4, 4, theme2, false, bells2, -1, false, 4, {1800, 1800}, {2500, 2500}, -6, -12, -3, -8, -3.5},
    {8, 0, {16, 16, 16, 16}, 5, 2, theme3, false, none, 0, false, 4, {1800, 2200}, {2000, 3000}, -6, -10, -3, -99, -3.5},
    {6, 0, {16, 16, 16, 20}, 5, 0, theme, false, counter, -1, false, 4, {2200, 2200}, {2500, 2500}, -6, -11, -3, -6, -3.5},
    {7, 0, {17, 17, 17, 17}, 6, 4, none, false, bells2, 0, false, 4, {2000, 2500}, {2500, 3500}, -5, -9, -3, -4, -3.5},
    {8, 0, {17, 17, 17, 17}, 6, 5, theme3, false, bells3, -1, false, 4, {2500, 2500}, {3000, 3000}, -5, -10, -3, -7, -3.5},
    {6, 0, {17, 17, 17, 20}, 3, 1, theme, true, none, 0, false, 4, {2500, 2500}, {3000, 3500}, -5, -10, -3, -99, -3.5},
    {7, 0, {17, 17, 17, 17}, 3, 5, theme2, false, bells2, -1, false, 4, {2500, 2500}, {3500, 3500}, -5, -10, -3, -7, -3.5},
    // 320-336 a breakdown, then the pivot towards D major.
    {5, 0, {0, 0, 0, 0}, 0, 4, none, false, bells, -1, false, 4, {1500, 900}, {2000, 1200}, -6, -11, -3, -4, -3.5},
    {9, 0, {15, 15, 4, 5}, 1, 0, pivot, false, none, -1, true, 4, {1200, 2500}, {1000, 4000}, -5, -9, -3, -99, -3.5},
    // 336-408 the same themes a whole tone higher, fuller.
    {6, 2, {17, 17, 17, 17}, 6, 5, theme, true, counter, 0, false, 4, {2500, 2500}, {3000, 3500}, -5, -10, -2.5, -6, -3.5},
    {7, 2, {17, 17, 17, 17}, 3, 1, theme2, false, bells2, -1, false, 4, {2500, 2500}, {3000, 3000}, -5, -10, -2.5, -7, -3.5},
    {8, 2, {16, 16, 16, 16}, 4, 2, theme3, false, bells3, 0, false, 4, {2000, 2000}, {2500, 2500}, -5, -10, -2.5, -7, -3.5},
    {6, 2, {17, 17, 17, 20}, 6, 4, none, false, counter, -1, false, 4, {2000, 2500}, {2500, 3000}, -5, -9, -2.5, -4, -3.5},
    {7, 2, {17, 17, 17, 19}, 2, 5, theme2, true, bells2, 0, false, 4, {2500, 3000}, {3000, 4000}, -5, -10, -2.5, -7, -3.5},
    {8, 2, {17, 17, 17, 17}, 2, 3, theme3, true, bells3, -1, false, 4, {3000, 3000}, {4000, 4000}, -5, -10, -2.5, -7, -3.5},
    {5, 2, {0, 0, 0, 0}, 0, 4, none, false, bells, 0, false, 4, {2000, 1000}, {2500, 1200}, -6, -11, -3, -4, -3.5},
    {7, 2, {16, 16, 16, 16}, 4, 2, theme2, false, none, -1, false, 4, {1200, 2000}, {1500, 2500}, -5, -10, -3, -99, -3.5},
    {8, 2, {15, 15, 15, 15}, 0, 4, none, false, bells3, -1, false, 4, {2000, 1500}, {2500, 2000}, -6, -11, -3, -5, -3.5},
    // 408-416 on the dominant of A minor: the way home.
    {10, 0, {15, 15, 4, 5}, 1, 0, none, false, none, -1, true, 4, {1200, 2500}, {1000, 4500}, -5, -8, -3, -99, -3.5},
    // 416-448 the hook comes back, in half time and answered by the pluck.
    {0, 0, {16, 16, 16, 16}, 4, 3, hook, false, hook_counter, 0, false, 4, {2000, 2500}, {2500, 3000}, -5, -10, -3, -6, -3.5},
    {0, 0, {16, 16, 16, 20}, 4, 3, hook2, false, none, -1, false, 4, {2500, 2500}, {3000, 3000}, -5, -10, -3, -99, -3.5},
    {1, 0, {17, 17, 17, 17}, 3, 1, answer, false, answer_counter, 0, false, 4, {2500, 2500}, {3000, 3000}, -5, -10, -3, -6, -3.5},
    {1, 0, {17, 17, 17, 19}, 3, 1, answer2, false, none, -1, false, 4, {2500, 2500}, {3000, 3500}, -5, -10, -3, -99, -3.5},
    // 448-496 the band leaves a part at a time.
    {2, 0, {9, 9, 9, 8}, 5, 4, none, false, none, 0, false, 4, {1500, 1500}, {1000, 1500}, -4, -9, -3, -99, -3.5},
    {0, 0, {15, 15, 15, 15}, 0, 4, hook, false, none, -1, false, 4, {1500, 1500}, {1500, 1500}, -5, -11, -5, -99, -3.5},
    {1, 0, {0, 0, 0, 0}, 0, 2, none, false, answer_counter, -1, false, 4, {1500, 1200}, {1200, 1000}, -5, -12, -3, -6, -3.5},
    {0, 0, {0, 0, 0, 0}, -1, -1, none, false, hook_counter, -1, false, 4, {1200, 1000}, {800, 800}, -6, -99, -3, -6, -3.5},
    {1, 0, {0, 0, 0, 0}, 0, -1, answer, false, none, -1, false, 4, {1000, 1000}, {800, 800}, -6, -99, -5, -99, -3.5},
    {0, 0, {0, 0, 0, 0}, -1, 4, none, false, none, -1, false, 4, {900, 700}, {900, 700}, -7, -12, -3, -99, -3.5},
    // 496-512 farewell, then the band comes back for the last approach.
    {3, 0, {13, 0, 0, 0}, 0, -1, farewell, false, none, 0, false, 4, {1500, 1500}, {800, 800}, -4, -99, -3, -99, -3.5},
    {11, 0, {15, 15, 4, 5}, 1, 0, none, false, none, -1, true, 4, {1500, 3000}, {1500, 5000}, -4, -8, -3, -99, -3.5},
    // 512-520: the last glyph leaves at 513.4 s; the final chord at 514 s
    // and its tail.
    {12, 0, {20, 21, 0, 0}, 0, -1, none, false, last_notes, 1, false, 2, {3000, 1200}, {800, 800}, -3, -99, -3, -3, 0},
};
static_assert(sizeof(kSections) / sizeof(kSections[0]) == kSectionCount,
              "the order list covers the whole arrangement");

constexpr Song kSong = {kChords, kProgressions, kDrumBars, kBassRiffs, kArpPatterns,
                        kLeadPhrases, kSections, kSectionCount};

}  // namespace

const Song& the_song() { return kSong; }

}  // namespace music
