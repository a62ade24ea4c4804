#include "sound_effects.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "rng.h"

namespace cog {

namespace mediagen {

namespace {

constexpr double kTwoPi = 6.283185307179586;

size_t frameCount(double seconds, int sampleRate) { return static_cast<size_t>(std::lround(seconds * sampleRate)); }

// A raised-cosine fade over the last `seconds`, so the sound ends at zero.
void fadeOut(std::vector<double>& signal, double seconds, int sampleRate) {
  const size_t n = std::min(signal.size(), frameCount(seconds, sampleRate));
  for (size_t i = 0; i < n; ++i) {
    const double along = static_cast<double>(i) / static_cast<double>(n);  // 0 at the end
    signal[signal.size() - 1 - i] *= 0.5 - 0.5 * std::cos(along * kTwoPi / 2.0);
  }
}

// A linear rise over the first `seconds`, so the sound starts without a click.
void fadeIn(std::vector<double>& signal, double seconds, int sampleRate) {
  const size_t n = std::min(signal.size(), frameCount(seconds, sampleRate));
  for (size_t i = 0; i < n; ++i) signal[i] *= static_cast<double>(i) / static_cast<double>(n);
}

// A state-variable filter whose corner may move from sample to sample;
// after each step it holds the low-pass and band-pass outputs.
class StateVariableFilter {
 public:
  explicit StateVariableFilter(double damping) : damping_(damping) {}
  void step(double in, double cornerHz, int sampleRate) {
    const double f = 2.0 * std::sin(kTwoPi / 2.0 * std::min(cornerHz, sampleRate / 6.0) / sampleRate);
    low_ += f * band_;
    const double high = in - low_ - damping_ * band_;
    band_ += f * high;
  }
  double low() const { return low_; }
  double band() const { return band_; }

 private:
  double damping_;
  double low_ = 0.0;
  double band_ = 0.0;
};

struct Partial {
  double ratio;      // of the fundamental
  double amplitude;
  double decay;      // seconds to fall to 1/e
};

}  // namespace

std::vector<double> clankSound(int sampleRate) {
  // A struck steel plate: partials at inharmonic ratios, the high ones
  // dying first, and a close pair near 2.76 that beats.
  constexpr double kFundamental = 317.0;
  constexpr Partial kPartials[] = {
      {1.00, 1.00, 0.060}, {2.32, 0.55, 0.045}, {2.76, 0.70, 0.040}, {2.79, 0.40, 0.040},
      {4.11, 0.45, 0.030}, {5.40, 0.35, 0.022}, {6.94, 0.25, 0.016}, {8.93, 0.18, 0.012},
  };
  Rng rng(0xC1A7C);
  std::vector<double> phases;
  for (size_t i = 0; i < std::size(kPartials); ++i) phases.push_back(rng.unit() * kTwoPi);

  std::vector<double> out(frameCount(0.150, sampleRate));
  double noiseHighPass = 0.0, lastNoise = 0.0, thudPhase = 0.0;
  for (size_t n = 0; n < out.size(); ++n) {
    const double t = static_cast<double>(n) / sampleRate;
    double ring = 0.0;
    for (size_t i = 0; i < std::size(kPartials); ++i) {
      const Partial& p = kPartials[i];
      ring += p.amplitude * std::exp(-t / p.decay) * std::sin(kTwoPi * kFundamental * p.ratio * t + phases[i]);
    }
    // The strike: a few milliseconds of noise, its low end taken off.
    const double noise = rng.signedUnit();
    noiseHighPass = 0.75 * (noiseHighPass + noise - lastNoise);
    lastNoise = noise;
    const double strike = 0.9 * noiseHighPass * std::exp(-t / 0.004);
    // The weight of the foot: a low thud falling in pitch.
    thudPhase += kTwoPi * (55.0 + 85.0 * std::exp(-t / 0.02)) / sampleRate;
    const double thud = 0.8 * std::sin(thudPhase) * std::exp(-t / 0.03);
    out[n] = std::tanh(1.4 * (ring * 0.5 + strike + thud));
  }
  fadeIn(out, 0.0005, sampleRate);
  fadeOut(out, 0.015, sampleRate);
  return out;
}

std::vector<double> deathSound(int sampleRate) {
  constexpr double kSeconds = 1.5;
  constexpr double kFromHz = 330.0, kToHz = 48.0, kGlideSeconds = 1.35;
  Rng rng(0xDEAD);
  std::vector<double> out(frameCount(kSeconds, sampleRate));
  double phaseA = 0.0, phaseB = 0.0, vibratoPhase = 0.0, gearPhase = 0.0;
  StateVariableFilter grindFilter(0.25);
  StateVariableFilter darken(1.2);
  for (size_t n = 0; n < out.size(); ++n) {
    const double t = static_cast<double>(n) / sampleRate;
    const double along = std::min(t / kGlideSeconds, 1.0);

    // Two saw-like voices a little apart, gliding down with a widening wobble.
    vibratoPhase += kTwoPi * (7.0 - 3.0 * along) / sampleRate;
    const double wobble = 1.0 + 0.035 * along * std::sin(vibratoPhase);
    const double hz = kFromHz * std::pow(kToHz / kFromHz, along) * wobble;
    phaseA = std::fmod(phaseA + hz / sampleRate, 1.0);
    phaseB = std::fmod(phaseB + hz * 0.943 / sampleRate, 1.0);  // about a semitone below
    const double saw = (2.0 * phaseA - 1.0) + 0.7 * (2.0 * phaseB - 1.0);
    const double tone = std::tanh(2.5 * saw) * (1.0 - 0.5 * along);

    // Grinding gears: band-passed noise in bursts, one per tooth, the teeth
    // slowing from 38 to 8 a second as the machine winds down.
    gearPhase += kTwoPi * (38.0 - 30.0 * along) / sampleRate;
    const double tooth = std::pow(std::fabs(std::sin(gearPhase / 2.0)), 6.0);
    grindFilter.step(rng.signedUnit(), 1100.0 - 700.0 * along, sampleRate);
    const double grind = grindFilter.band();
    const double grindLevel = std::min(t / 0.25, 1.0) * (0.4 + 0.8 * along);
    // The distortion's fizz dulls as the sound dies.
    darken.step(std::tanh(1.5 * (0.55 * tone + grindLevel * tooth * grind * 2.5)), 5000.0 - 3800.0 * along,
                sampleRate);
    out[n] = darken.low();
  }
  fadeIn(out, 0.005, sampleRate);
  fadeOut(out, 0.25, sampleRate);
  return out;
}

std::vector<double> fireSound(int sampleRate) {
  Rng rng(0xF1AE);
  std::vector<double> out(frameCount(0.180, sampleRate));
  double phase = 0.0;
  StateVariableFilter crackFilter(0.5);
  for (size_t n = 0; n < out.size(); ++n) {
    const double t = static_cast<double>(n) / sampleRate;
    // Two octaves down, fast at first: 1600 Hz to 400 Hz.
    const double hz = 400.0 + 1200.0 * std::exp(-t / 0.035);
    phase = std::fmod(phase + hz / sampleRate, 1.0);
    const double square = phase < 0.5 ? 1.0 : -1.0;
    const double zap = (0.6 * std::sin(kTwoPi * phase) + 0.25 * square) * std::exp(-t / 0.06);
    crackFilter.step(rng.signedUnit(), 3000.0, sampleRate);
    const double crack = 1.2 * crackFilter.band() * std::exp(-t / 0.008);
    out[n] = std::tanh(1.5 * (zap + crack));
  }
  fadeIn(out, 0.001, sampleRate);
  fadeOut(out, 0.03, sampleRate);
  return out;
}

std::vector<double> robotDownSound(int sampleRate) {
  Rng rng(0xD0C5);
  std::vector<double> out(frameCount(0.700, sampleRate));
  double thumpPhase = 0.0, tonePhase = 0.0;
  StateVariableFilter crunchFilter(0.4);
  for (size_t n = 0; n < out.size(); ++n) {
    const double t = static_cast<double>(n) / sampleRate;
    // The crunch: noise through a band falling from 2500 Hz to 300 Hz,
    // broken into rattles.
    crunchFilter.step(rng.signedUnit(), 300.0 + 2200.0 * std::exp(-t / 0.12), sampleRate);
    const double rattle = 0.6 + 0.4 * std::sin(kTwoPi * 23.0 * t);
    const double crunch = 1.6 * crunchFilter.band() * rattle * std::exp(-t / 0.15);
    // The body hitting the floor: a low thump falling in pitch.
    thumpPhase += kTwoPi * (45.0 + 70.0 * std::exp(-t / 0.03)) / sampleRate;
    const double thump = 0.9 * std::sin(thumpPhase) * std::exp(-t / 0.08);
    // The motor winding down: 520 Hz to 90 Hz.
    tonePhase = std::fmod(tonePhase + (90.0 + 430.0 * std::exp(-t / 0.2)) / sampleRate, 1.0);
    const double tone = 0.3 * (2.0 * tonePhase - 1.0) * std::min(t / 0.02, 1.0) * std::exp(-t / 0.3);
    out[n] = std::tanh(1.3 * (crunch + thump + tone));
  }
  fadeIn(out, 0.002, sampleRate);
  fadeOut(out, 0.12, sampleRate);
  return out;
}

}  // namespace mediagen

}  // namespace cog
