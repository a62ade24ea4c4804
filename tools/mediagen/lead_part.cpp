// The lead part. The hook is a four-bar figure over I V vi IV, written as
// scale degrees; the verse tune is made up by rule (chord tones on the
// strong beats, scale steps between, an arch over each two-bar phrase); the
// bridge climbs through the chords one long note a bar.

#include <cmath>
#include <vector>

#include "song_parts.h"

namespace cog {

namespace mediagen {

namespace {

constexpr int kChannel = 2;
constexpr int kProgram = 81;  // Lead 2 (sawtooth)
constexpr int kHookTonic = 69;  // A4: degree 0 of the hook

struct Figure {
  int slot;     // eighth of the bar
  int eighths;  // length
  int degree;   // scale degree from kHookTonic
};

// The hook, bar by bar over A, E, F#m and D.
const std::vector<Figure> kHook[4] = {
    {{0, 1, 2}, {1, 1, 4}, {2, 2, 4}, {4, 1, 5}, {5, 1, 4}, {6, 2, 2}},
    {{0, 3, 1}, {3, 1, -1}, {4, 2, 1}, {6, 2, 4}},
    {{0, 1, 2}, {1, 1, 4}, {2, 2, 5}, {4, 2, 7}, {6, 1, 6}, {7, 1, 5}},
    {{0, 3, 5}, {3, 1, 4}, {4, 4, 3}},
};
// The hook's last bar when a phrase closes: down to the tonic.
const std::vector<Figure> kHookCadence{{0, 2, 5}, {2, 1, 4}, {3, 1, 3}, {4, 4, 0}};

void playFigure(MidiTrack& track, Rng& rng, int64_t barStart, const std::vector<Figure>& figure, int degreeShift,
                int velocity) {
  for (const Figure& f : figure) {
    const int key = scaleDegreeKey(f.degree + degreeShift, kHookTonic);
    const int accent = f.slot % 2 == 0 ? 8 : 0;
    track.note(barStart + f.slot * kEighth, f.eighths * kEighth - kEighth / 8, kChannel, key,
               humanize(rng, velocity + accent, 4));
  }
}

// Bar `i` of an eight-bar hook: the figure twice, the second time closing on
// the tonic.
const std::vector<Figure>& hookBar(int i) { return i % 8 == 7 ? kHookCadence : kHook[i % 4]; }

// --- The verse tune -------------------------------------------------------

struct Rhythm {
  std::vector<std::pair<int, int>> notes;  // (eighth, eighths held)
};
const Rhythm kCallRhythms[3] = {
    {{{0, 2}, {2, 1}, {3, 1}, {4, 2}, {6, 2}}},
    {{{1, 1}, {2, 1}, {3, 1}, {4, 3}, {7, 1}}},
    {{{0, 1}, {1, 1}, {2, 2}, {4, 1}, {5, 1}, {6, 2}}},
};
const Rhythm kAnswerRhythms[3] = {
    {{{0, 2}, {2, 2}, {4, 4}}},
    {{{0, 1}, {1, 1}, {2, 4}}},
    {{{1, 1}, {2, 1}, {3, 5}}},
};

constexpr int kVerseCentre = 68;   // around G#4: the verse sits below the hook
constexpr int kArchHeight = 5;     // semitones the phrase rises in its middle

// One two-bar phrase: an arch that rises and falls, ending on a chord tone
// near `endAround` (lower for an answering phrase).
void versePhrase(MidiTrack& track, Rng& rng, const Bar& first, const Bar& second, int endAround, int tonic) {
  struct Slot {
    int64_t time;
    int64_t length;
    const Chord* chord;
    bool strong;
  };
  std::vector<Slot> slots;
  const Rhythm& call = kCallRhythms[rng.below(3)];
  const Rhythm& answer = kAnswerRhythms[rng.below(3)];
  for (const auto& [slot, eighths] : call.notes)
    slots.push_back({first.start() + slot * kEighth, eighths * kEighth, &first.chord, slot % 4 == 0});
  for (const auto& [slot, eighths] : answer.notes)
    slots.push_back({second.start() + slot * kEighth, eighths * kEighth, &second.chord, slot % 4 == 0});

  int previous = kVerseCentre;
  for (size_t i = 0; i < slots.size(); ++i) {
    const Slot& s = slots[i];
    const double along = static_cast<double>(i) / static_cast<double>(slots.size() - 1);
    const int target = kVerseCentre + static_cast<int>(std::lround(kArchHeight * std::sin(along * 3.14159265358979)));
    int key;
    if (i + 1 == slots.size()) {
      key = nearestChordTone(*s.chord, endAround);
    } else if (s.strong || i == 0) {
      key = nearestChordTone(*s.chord, (target + previous) / 2);
    } else if (rng.below(4) == 0) {
      key = previous;  // a repeated note now and then
    } else {
      key = scaleStep(previous, target >= previous ? 1 : -1, tonic);
    }
    track.note(s.time, s.length - kEighth / 8, kChannel, key, humanize(rng, s.strong ? 90 : 78, 5));
    previous = key;
  }
}

// --- The bridge -------------------------------------------------------------

// One long note a bar, each the next chord tone above the last; the line
// starts again lower halfway through.
void bridgeBar(MidiTrack& track, const Bar& bar, int& previous) {
  if (bar.sectionBar == 0) previous = 66;
  if (bar.sectionBar == 4) previous = 71;
  int key = previous + 1;
  while (!isChordTone(key, bar.chord)) ++key;
  track.note(bar.start(), kBar - kEighth / 4, kChannel, key, 84 + bar.sectionBar * 4);
  previous = key;
}

}  // namespace

MidiTrack leadTrack(const SongForm& form) {
  MidiTrack track = startPart({"Lead", kChannel, kProgram, 84, 84, 50});
  Rng rng(0x1EAD);
  int bridgeNote = 0;
  for (const Bar& bar : form.bars) {
    switch (bar.section) {
      case Section::Intro:
        // A taste of the hook's second half.
        if (bar.sectionBar >= 2) playFigure(track, rng, bar.start(), kHook[bar.sectionBar], 0, 84);
        break;
      case Section::Verse:
        if (bar.sectionBar % 2 == 0) {
          // The same tune each verse, save the second's last phrase.
          Rng tune(0x7E5E + static_cast<uint64_t>(bar.sectionBar) + (bar.pass == 2 && bar.sectionBar == 6 ? 99 : 0));
          const Bar& second = form.bars[static_cast<size_t>(bar.number) + 1];
          const int endAround = bar.sectionBar % 4 == 0 ? 71 : 64;
          versePhrase(track, tune, bar, second, endAround, form.tonic);
        }
        break;
      case Section::Chorus:
        playFigure(track, rng, bar.start(), hookBar(bar.sectionBar), 0, 92);
        // The second half of the last chorus doubles the hook a third below.
        if (bar.pass == 3 && bar.sectionBar >= 8) playFigure(track, rng, bar.start(), hookBar(bar.sectionBar), -2, 70);
        break;
      case Section::Bridge: bridgeBar(track, bar, bridgeNote); break;
      case Section::Outro:
        if (bar.sectionBar == 0) playFigure(track, rng, bar.start(), kHook[3], 0, 90);
        if (bar.sectionBar == 1) playFigure(track, rng, bar.start(), kHook[1], 0, 90);
        if (bar.sectionBar == 2) track.note(bar.start(), 2 * kBar - kEighth, kChannel, kHookTonic + 12, 100);
        break;
    }
  }
  return track;
}

}  // namespace mediagen

}  // namespace cog
