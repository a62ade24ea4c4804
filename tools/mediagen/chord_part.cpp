// The chord part: an overdriven guitar. Verses strum voice-led triads in a
// syncopated rhythm; choruses chug power chords in eighths; the bridge holds
// whole-bar triads that swell towards the last chorus.

#include "song_parts.h"

namespace cog {

namespace mediagen {

namespace {

constexpr int kChannel = 1;
constexpr int kProgram = 29;  // Overdriven Guitar
constexpr int kTriadLow = 54, kTriadHigh = 72;
constexpr int kPowerRootLow = 40;  // E2
constexpr int64_t kStrumSpread = 14;  // pulses between the strings of a strum

// Strikes `keys` low to high, each a little after the one below.
void strum(MidiTrack& track, int64_t time, int64_t length, const std::vector<int>& keys, int velocity) {
  for (size_t i = 0; i < keys.size(); ++i) {
    const int64_t delay = static_cast<int64_t>(i) * kStrumSpread;
    track.note(time + delay, length - delay, kChannel, keys[i], velocity);
  }
}

std::vector<int> powerChord(const Chord& chord) {
  const int root = keyAtOrAbove(chord.root, kPowerRootLow);
  return {root, root + 7, root + 12};
}

void strummedBar(MidiTrack& track, Rng& rng, const Bar& bar, const std::vector<int>& triad) {
  // On one, the and of two, and four: (eighth, eighths held).
  constexpr int kHits[3][2] = {{0, 3}, {3, 3}, {6, 2}};
  for (const auto& h : kHits)
    strum(track, bar.start() + h[0] * kEighth, h[1] * kEighth - kEighth / 4, triad,
          humanize(rng, h[0] == 0 ? 86 : 74, 5));
}

void chuggedBar(MidiTrack& track, Rng& rng, const Bar& bar) {
  const std::vector<int> keys = powerChord(bar.chord);
  for (int slot = 0; slot < 8; ++slot) {
    const int velocity = slot % 4 == 0 ? 104 : (slot % 2 == 0 ? 88 : 80);
    strum(track, bar.start() + slot * kEighth, kEighth * 3 / 4, keys, humanize(rng, velocity, 4));
  }
}

}  // namespace

MidiTrack chordTrack(const SongForm& form) {
  MidiTrack track = startPart({"Chords", kChannel, kProgram, 98, 40, 45});
  Rng rng(0xC4C4);
  std::vector<int> triad;
  for (const Bar& bar : form.bars) {
    triad = voiceLead(bar.chord, triad, kTriadLow, kTriadHigh);
    const bool lastBar = bar.number + 1 == static_cast<int>(form.bars.size());
    if (lastBar) {
      std::vector<int> keys = powerChord(bar.chord);
      keys.insert(keys.end(), triad.begin(), triad.end());
      strum(track, bar.start(), kBar, keys, 112);
      continue;
    }
    switch (bar.section) {
      case Section::Intro:
        if (bar.sectionBar < 2)
          strum(track, bar.start(), kBar - kEighth / 4, triad, 92);
        else
          chuggedBar(track, rng, bar);
        break;
      case Section::Verse: strummedBar(track, rng, bar, triad); break;
      case Section::Bridge:
        if (bar.lastOfSection())
          chuggedBar(track, rng, bar);
        else
          strum(track, bar.start(), kBar - kEighth / 4, triad, 70 + bar.sectionBar * 5);
        break;
      case Section::Chorus:
      case Section::Outro: chuggedBar(track, rng, bar); break;
    }
  }
  return track;
}

}  // namespace mediagen

}  // namespace cog
