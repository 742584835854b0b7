// The mixing desk: routes every part through its level, pan and sends,
// ducks the tonal parts under the kick, and masters the sum.
#include "render.h"

#include "effects.h"
#include "sounds.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace music {
namespace {

// Denormal floats in decaying tails cost hundreds of cycles each; flushing
// them to zero is inaudible. Restores the caller's mode when it goes.
class FlushDenormals {
public:
#if defined(__SSE2__)
    FlushDenormals() : saved_(_mm_getcsr()) { _mm_setcsr(saved_ | 0x8040u); }  // FTZ | DAZ
    ~FlushDenormals() { _mm_setcsr(saved_); }

private:
    unsigned saved_;
#endif
};

// A pitched part: a pool of voices sharing one patch.
class SynthPart {
public:
    SynthPart(const SynthPatch& patch, std::size_t voices) : patch_(patch), voices_(voices) {}

    void play(int note, double velocity, std::int64_t gate)
    {
        // A free voice, else the quietest one is taken over.
        auto v = std::min_element(voices_.begin(), voices_.end(), [](const SynthVoice& a, const SynthVoice& b) {
            return (a.active() ? a.level() + 1.0 : 0.0) < (b.active() ? b.level() + 1.0 : 0.0);
        });
        v->start(patch_, note, velocity, gate);
        v->control(patch_, cutoff_, lfo_);
    }
    void control(double cutoff, double lfo)
    {
        cutoff_ = cutoff;
        lfo_ = lfo;
        for (auto& v : voices_)
            if (v.active())
                v.control(patch_, cutoff_, lfo_);
    }
    Stereo next()
    {
        Stereo s;
        for (auto& v : voices_) {
            if (!v.active())
                continue;
            const Stereo o = v.next(patch_);
            s.l += o.l;
            s.r += o.r;
        }
        return s;
    }

private:
    const SynthPatch& patch_;
    std::vector<SynthVoice> voices_;
    double cutoff_ = 1000.0, lfo_ = 0.0;
};

// Two voices per drum taken in turn, so a hit lets the previous one ring out
// instead of cutting it off with a click.
template <typename Voice>
struct Pair {
    Voice v[2];
    int next = 0;
    Voice& take()
    {
        next ^= 1;
        return v[next];
    }
};

class Band {
public:
    Band(const Song& song, std::uint32_t parts)
        : song_(song), parts_(parts), bass_(kBass, 3), pad_(kPad, 12), arp_(kArp, 6), lead_(kLead, 8),
          lead2_(kLead2, 6),
          delay_(3 * static_cast<std::size_t>(kSamplesPerStep), kDelayFeedback), reverb_(kReverbDecay)
    {
        for (int i = 0; i < kPartCount; ++i) {
            gain_[i] = db_to_gain(kMix[i].gain_db);
            pan_[i] = pan(1.0, kMix[i].pan);
        }
        pad_level_.set_hz(8.0);
        arp_level_.set_hz(8.0);
        lead_level_.set_hz(8.0);
        lead2_level_.set_hz(8.0);
        band_level_.set_hz(8.0);
    }

    void play(const Event& e);
    Stereo next(std::int64_t t);

private:
    void control(std::int64_t t);

    const Song& song_;
    std::uint32_t parts_;
    Noise noise_{0x51f15eedu};
    Pair<KickVoice> kick_;
    Pair<SnareVoice> snare_;
    Pair<ClapVoice> clap_;
    MetalVoice hat_, open_hat_;
    Pair<MetalVoice> crash_;
    RiserVoice riser_;
    SynthPart bass_, pad_, arp_, lead_, lead2_;
    Ducker duck_;
    PingPongDelay delay_;
    Reverb reverb_;
    double gain_[kPartCount] = {};
    Stereo pan_[kPartCount];  // equal-power left and right gains
    // Section levels glide (8 Hz smoothing, about 20 ms) instead of jumping.
    OnePole pad_level_, arp_level_, lead_level_, lead2_level_, band_level_;
    double pad_target_ = 0.0, arp_target_ = 0.0, lead_target_ = 0.0, lead2_target_ = 0.0,
           band_target_ = 0.0;
};

void Band::play(const Event& e)
{
    if ((parts_ & part_bit(e.part)) == 0)
        return;
    const double v = e.velocity;
    switch (e.part) {
    case Part::kick:
        kick_.take().trigger(kKick, v);
        duck_.trigger();
        break;
    case Part::snare: snare_.take().trigger(kSnare, v); break;
    case Part::clap: clap_.take().trigger(kClap, v); break;
    case Part::hat:
        hat_.trigger(kHat, v);
        open_hat_.choke();  // one drummer, one hi-hat: closing it stops the ring
        break;
    case Part::open_hat: open_hat_.trigger(kOpenHat, v); break;
    case Part::crash: crash_.take().trigger(kCrash, v); break;
    case Part::riser: riser_.trigger(e.length, v); break;
    case Part::bass: bass_.play(e.note, v, e.length); break;
    case Part::pad: pad_.play(e.note, v, e.length); break;
    case Part::arp: arp_.play(e.note, v, e.length); break;
    case Part::lead: lead_.play(e.note, v, e.length); break;
    case Part::lead2: lead2_.play(e.note, v, e.length); break;
    }
}

void Band::control(std::int64_t t)
{
    const Controls c = controls_at(song_, t);
    // LFOs run on song time, so they are in the same place in every render.
    const double secs = static_cast<double>(t) / kSampleRate;
    const auto lfo = [secs](const SynthPatch& p) { return std::sin(2.0 * kPi * p.lfo_hz * secs); };
    bass_.control(kBass.cutoff_hz, lfo(kBass));
    pad_.control(c.pad_cutoff, lfo(kPad));
    arp_.control(c.arp_cutoff, lfo(kArp));
    lead_.control(kLead.cutoff_hz, lfo(kLead));
    lead2_.control(kLead2.cutoff_hz, lfo(kLead2));
    pad_target_ = c.pad_gain;
    arp_target_ = c.arp_gain;
    lead_target_ = c.lead_gain;
    lead2_target_ = c.lead2_gain;
    band_target_ = c.band_gain;
}

Stereo Band::next(std::int64_t t)
{
    if (t % kControlBlock == 0)
        control(t);
    duck_.next();

    Stereo dry, rev;
    double echo = 0.0;
    const auto add = [&](Part p, Stereo s) {
        const PartMix& m = kMix[static_cast<int>(p)];
        const double g = gain_[static_cast<int>(p)] * duck_.gain(m.duck);
        s.l *= g;
        s.r *= g;
        dry.l += s.l;
        dry.r += s.r;
        echo += (s.l + s.r) * 0.5 * m.delay;
        rev.l += s.l * m.reverb;
        rev.r += s.r * m.reverb;
    };
    const auto mono = [&](Part p, double x) {
        const Stereo& g = pan_[static_cast<int>(p)];
        add(p, {x * g.l, x * g.r});
    };

    mono(Part::kick, kick_.v[0].next(kKick, noise_) + kick_.v[1].next(kKick, noise_));
    mono(Part::snare, snare_.v[0].next(noise_) + snare_.v[1].next(noise_));
    mono(Part::clap, clap_.v[0].next(noise_) + clap_.v[1].next(noise_));
    mono(Part::hat, hat_.next(noise_));
    mono(Part::open_hat, open_hat_.next(noise_));
    mono(Part::crash, crash_.v[0].next(noise_) + crash_.v[1].next(noise_));
    add(Part::riser, riser_.next(noise_));
    const Stereo bass = bass_.next();
    mono(Part::bass, 0.5 * (bass.l + bass.r));
    Stereo pad = pad_.next();
    const double pl = pad_level_.low(pad_target_);
    add(Part::pad, {pad.l * pl, pad.r * pl});
    Stereo arp = arp_.next();
    const double al = arp_level_.low(arp_target_);
    add(Part::arp, {arp.l * al, arp.r * al});
    const Stereo lead = lead_.next();
    const double ll = lead_level_.low(lead_target_);
    add(Part::lead, {lead.l * ll, lead.r * ll});
    const Stereo lead2 = lead2_.next();
    const double l2 = lead2_level_.low(lead2_target_);
    mono(Part::lead2, 0.5 * (lead2.l + lead2.r) * l2);

    const Stereo e = delay_.process(echo);
    const Stereo r = reverb_.process(rev);
    const double ed = duck_.gain(kDelayReturnDuck);
    const double band = band_level_.low(band_target_);
    return {(dry.l + e.l * ed + r.l) * band, (dry.r + e.r * ed + r.r) * band};
}

// Gain of the closing fade at song time t: 1 until the last kFadeSeconds,
// then a raised-cosine fall to 0 at the song's end.
double fade_at(std::int64_t t)
{
    const auto len = static_cast<std::int64_t>(kFadeSeconds * kSampleRate);
    const std::int64_t from = kSongSamples - len;
    if (t < from)
        return 1.0;
    if (t >= kSongSamples)
        return 0.0;
    const double x = static_cast<double>(t - from) / static_cast<double>(len);
    return 0.5 + 0.5 * std::cos(kPi * x);
}

}  // namespace

std::vector<float> render(const Song& song, const std::vector<Event>& events, std::int64_t start,
                          std::int64_t frames, std::uint32_t parts)
{
    const FlushDenormals flush;
    Band band(song, parts);
    Limiter limiter(db_to_gain(kCeilingDb));
    DcBlocker dc_l, dc_r;
    HighPass hp_l[2] = {HighPass(kMasterHighPassHz), HighPass(kMasterHighPassHz)};
    HighPass hp_r[2] = {HighPass(kMasterHighPassHz), HighPass(kMasterHighPassHz)};
    const double master = db_to_gain(kMasterGainDb);

    auto ev = std::lower_bound(events.begin(), events.end(), start,
                               [](const Event& e, std::int64_t t) { return e.sample < t; });
    std::vector<float> out(static_cast<std::size_t>(frames) * 2);
    // The limiter hands back each sample kLatency calls later, so the band
    // runs that far ahead of the output.
    const std::int64_t end = start + frames + Limiter::kLatency;
    for (std::int64_t t = start; t < end; ++t) {
        for (; ev != events.end() && ev->sample == t; ++ev)
            band.play(*ev);
        Stereo s = band.next(t);
        const double g = master * fade_at(t);
        const double l = hp_l[1].run(hp_l[0].run(dc_l.run(s.l)));
        const double r = hp_r[1].run(hp_r[0].run(dc_r.run(s.r)));
        const double mid = 0.5 * (l + r), side = 0.5 * kSideGain * (l - r);
        const Stereo o = limiter.process({(mid + side) * g, (mid - side) * g});
        const std::int64_t i = t - start - Limiter::kLatency;
        if (i >= 0) {
            out[static_cast<std::size_t>(2 * i)] = static_cast<float>(o.l);
            out[static_cast<std::size_t>(2 * i + 1)] = static_cast<float>(o.r);
        }
    }
    return out;
}

}  // namespace music
