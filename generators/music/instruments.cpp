// How each voice makes its sound, sample by sample.
#include "instruments.h"

#include <cmath>

namespace music {

void KickVoice::trigger(const KickPatch& p, double velocity)
{
    // Phase 0 so that every kick has the same waveform whatever came before.
    phase_ = 0.0;
    pitch_ = 1.0;
    vel_ = velocity;
    amp_ = 1.0;
    click_ = 1.0;
    kp_ = decay_coeff(p.pitch_time);
    ka_ = decay_coeff(p.amp_time);
    hold_ = static_cast<std::int64_t>(p.hold * kSampleRate);
}

double KickVoice::next(const KickPatch& p, Noise& noise)
{
    if (vel_ == 0.0)
        return 0.0;
    const double hz = p.f_end + (p.f_start - p.f_end) * pitch_;
    const double body = std::sin(2.0 * kPi * phase_) * amp_;
    phase_ += hz / kSampleRate;
    phase_ -= std::floor(phase_);
    pitch_ *= kp_;
    if (hold_ > 0)
        --hold_;
    else
        amp_ *= ka_;
    const double click = p.click * click_ * noise.next();
    click_ *= 0.985;  // about 1.4 ms
    const double x = soft_clip(p.drive * (body + click)) / soft_clip(p.drive);
    if (amp_ < 1e-4)
        vel_ = 0.0;
    return x * vel_;
}

void SnareVoice::trigger(const SnarePatch& p, double velocity)
{
    tone_.reset(0.0);
    hz_ = p.tone_hz;
    bend_ = 0.6;  // starts 60% sharp and falls to pitch
    kb_ = decay_coeff(0.012);
    tone_amp_ = velocity * p.tone_mix;
    noise_amp_ = velocity;
    kt_ = decay_coeff(p.tone_time);
    kn_ = decay_coeff(p.noise_time);
    band_.set(p.noise_hz, 0.9);
}

double SnareVoice::next(Noise& noise)
{
    if (noise_amp_ < 1e-5 && tone_amp_ < 1e-5)
        return 0.0;
    tone_.set_hz(hz_ * (1.0 + bend_));
    const double tone = tone_.sine() * tone_amp_;
    tone_.advance();
    bend_ *= kb_;
    const SvfOut f = band_.run(noise.next());
    const double n = (f.band + 0.5 * f.high) * noise_amp_;
    tone_amp_ *= kt_;
    noise_amp_ *= kn_;
    return tone + n;
}

void ClapVoice::trigger(const ClapPatch& p, double velocity)
{
    t_ = 0;
    vel_ = velocity;
    tail_ = 0.0;
    tail_k_ = decay_coeff(p.tail_time);
    band_.set(p.band_hz, 1.6);
}

double ClapVoice::next(Noise& noise)
{
    if (t_ < 0)
        return 0.0;
    // Three short bursts 11 ms apart, as several hands never meet at once,
    // then a tail that starts with the third.
    constexpr std::int64_t kGap = 528;
    const std::int64_t since = t_ % kGap;
    double env = 0.0;
    if (t_ < 3 * kGap)
        env = std::exp(-static_cast<double>(since) / (0.0035 * kSampleRate));
    if (t_ == 2 * kGap)
        tail_ = 0.7;
    env += tail_;
    tail_ *= tail_k_;
    ++t_;
    if (t_ > 3 * kGap && tail_ < 1e-5)
        t_ = -1;
    return band_.run(noise.next()).band * env * vel_ * 2.0;
}

void MetalVoice::trigger(const MetalPatch& p, double velocity)
{
    // Inharmonic ratios, so the squares beat against each other like metal.
    static constexpr double kBase[6] = {263.0, 400.0, 421.0, 474.0, 587.0, 845.0};
    for (std::size_t i = 0; i < sq_.size(); ++i)
        sq_[i].set_hz(kBase[i] * p.pitch);
    amp_ = velocity;
    k_ = decay_coeff(p.time);
    noise_mix_ = p.noise_mix;
    hp_.set(p.hp_hz, 0.8);
}

double MetalVoice::next(Noise& noise)
{
    if (amp_ < 1e-5)
        return 0.0;
    double sq = 0.0;
    for (auto& o : sq_) {
        sq += o.square();
        o.advance();
    }
    const double x = (1.0 - noise_mix_) * sq / 6.0 + noise_mix_ * noise.next();
    const double y = hp_.run(x).high * amp_;
    amp_ *= k_;
    return y;
}

void RiserVoice::trigger(std::int64_t length, double velocity)
{
    t_ = 0;
    length_ = length;
    vel_ = velocity;
}

Stereo RiserVoice::next(Noise& noise)
{
    if (t_ >= length_)
        return {};
    const double x = static_cast<double>(t_) / static_cast<double>(length_);
    if (t_ % kControlBlock == 0) {
        const double hz = 300.0 * std::pow(9000.0 / 300.0, x);
        l_.set(hz, 3.0);
        r_.set(hz * 1.07, 3.0);
    }
    // Rises with the square of time; the last 5 ms fade so it stops cleanly.
    const std::int64_t left = length_ - t_;
    const double fade = left < 240 ? static_cast<double>(left) / 240.0 : 1.0;
    const double amp = x * x * fade * vel_;
    ++t_;
    return {l_.run(noise.next()).band * amp, r_.run(noise.next()).band * amp};
}

void SynthVoice::start(const SynthPatch& p, int note, double velocity, std::int64_t gate)
{
    note_ = note;
    vel_ = velocity;
    gate_ = gate;
    age_ = 0;
    // The outer saws start at mirrored phases around the centre one, so the
    // left and right mixes beat alike and the stereo image stays centred; the
    // offset varies with the note so every chord does not swell the same way.
    const double phi = 0.37 + 0.618 * note;
    const double spread = phi - std::floor(phi);
    saw_[0].reset(0.0);
    saw_[1].reset(spread);
    saw_[2].reset(1.0 - spread);
    sub_.reset(0.0);
    amp_.set(p.attack, p.decay, p.sustain, p.release);
    fenv_.set(p.f_attack, p.f_decay, 0.0, p.f_decay);
    amp_.gate_on();
    fenv_.gate_on();
}

void SynthVoice::control(const SynthPatch& p, double cutoff_hz, double lfo)
{
    const double t = static_cast<double>(age_) / kSampleRate;
    const double vib_in = p.vibrato_delay > 0.0 ? std::fmin(1.0, t / p.vibrato_delay) : 1.0;
    const double vib = p.vibrato_cents * vib_in * vib_in * std::sin(2.0 * kPi * 5.5 * t) / 100.0;
    const double hz = note_hz(note_ + vib);
    const double spread = p.detune_cents / 1200.0;
    saw_[0].set_hz(hz);
    saw_[1].set_hz(hz * std::exp2(spread));
    saw_[2].set_hz(hz * std::exp2(-spread));
    sub_.set_hz(hz * 0.5);
    const double oct = p.env_octaves * fenv_.level() + p.lfo_octaves * lfo +
                       p.key_track * (note_ - 60) / 12.0;
    const double cut = cutoff_hz * std::exp2(oct);
    fl_.set(cut, p.q);
    fr_.set(cut * 1.02, p.q);
}

Stereo SynthVoice::next(const SynthPatch& p)
{
    if (gate_-- == 0) {
        amp_.gate_off();
        fenv_.gate_off();
    }
    ++age_;
    const double a = amp_.next();
    fenv_.next();
    double centre = saw_[0].saw();
    if (p.square != 0.0)
        centre += p.square * saw_[0].square();
    if (p.sub != 0.0)
        centre += p.sub * sub_.sine();
    double l = centre, r = centre;
    if (p.saws > 1) {
        const double s1 = saw_[1].saw();
        l += s1 * (1.0 + p.width) * 0.5;
        r += s1 * (1.0 - p.width) * 0.5;
    }
    if (p.saws > 2) {
        const double s2 = saw_[2].saw();
        l += s2 * (1.0 - p.width) * 0.5;
        r += s2 * (1.0 + p.width) * 0.5;
    }
    for (auto& o : saw_)
        o.advance();
    sub_.advance();
    const double g = a * vel_ / static_cast<double>(p.saws);
    l = fl_.run(l).low;
    r = fr_.run(r).low;
    if (p.drive > 0.0) {
        l = soft_clip(p.drive * l) / p.drive;
        r = soft_clip(p.drive * r) / p.drive;
    }
    return {l * g, r * g};
}

}  // namespace music
