// The drum part: one groove per section on a sixteenth-note grid, a crash
// on each new section, and a fill in the bar before it.

#include "song_parts.h"

namespace cog {

namespace mediagen {

namespace {

constexpr int kChannel = 9;
// General MIDI drum keys.
constexpr int kKick = 36, kSnare = 38, kClosedHat = 42, kOpenHat = 46, kCrash = 49, kRide = 51;
constexpr int kHighTom = 50, kMidTom = 47, kLowTom = 45, kFloorTom = 43;
constexpr int64_t kHitLength = kSixteenth / 2;

// Sixteen steps a bar: 'x' a hit, 'a' an accented one, '.' nothing.
struct Groove {
  const char* kick;
  const char* snare;
  const char* cymbal;
  int cymbalKey;
};

const Groove kPulse{"x...x...x...x...", "................", "a.x.a.x.a.x.a.x.", kClosedHat};
const Groove kVerse{"x.....x.x.......", "....a.....x.a...", "a.x.a.x.a.x.a.x.", kClosedHat};
const Groove kChorus{"x.....x.x.x.....", "....a.......a...", "a.x.a.x.a.x.a.x.", kRide};
const Groove kHalfTime{"x.........x.....", "........a.......", "a...x...a...x...", kClosedHat};

const Groove& grooveFor(const Bar& bar) {
  switch (bar.section) {
    case Section::Intro: return bar.sectionBar < 2 ? kPulse : kChorus;
    case Section::Verse: return kVerse;
    case Section::Bridge: return kHalfTime;
    case Section::Chorus:
    case Section::Outro: return kChorus;
  }
  return kVerse;
}

// Fills over the second half of a bar, from step 8: a key or 0 per step.
constexpr int kFills[3][8] = {
    {kSnare, kSnare, kSnare, kSnare, kHighTom, kHighTom, kFloorTom, kFloorTom},
    {kSnare, 0, kSnare, kHighTom, kMidTom, kMidTom, kLowTom, kFloorTom},
    {0, 0, 0, 0, kSnare, kSnare, kSnare, kSnare},
};

void hit(MidiTrack& track, int64_t time, int key, int velocity) {
  track.note(time, kHitLength, kChannel, key, velocity);
}

void playSteps(MidiTrack& track, Rng& rng, int64_t start, const char* steps, int key, int lastStep, int loud,
               int soft) {
  for (int step = 0; step < lastStep; ++step) {
    if (steps[step] == '.') continue;
    hit(track, start + step * kSixteenth, key, humanize(rng, steps[step] == 'a' ? loud : soft, 6));
  }
}

// The bridge's last bar: a snare roll in sixteenths, growing louder.
void buildUp(MidiTrack& track, Rng& rng, int64_t start) {
  for (int step = 0; step < 16; ++step) {
    hit(track, start + step * kSixteenth, kSnare, humanize(rng, 50 + step * 5, 3));
    if (step % 4 == 0) hit(track, start + step * kSixteenth, kKick, 100);
  }
}

// One bar of the section's groove. A fill takes over its second half; a
// pickup (before the next four bars) adds an open hi-hat and a snare.
void groove(MidiTrack& track, Rng& rng, const Bar& bar, bool fill, bool pickup) {
  const Groove& g = grooveFor(bar);
  const int64_t start = bar.start();
  const int grooveSteps = fill ? 8 : 16;
  playSteps(track, rng, start, g.kick, kKick, grooveSteps, 110, 100);
  playSteps(track, rng, start, g.snare, kSnare, grooveSteps, 112, 45);  // soft hits are ghost notes
  // The crash takes the first cymbal hit of a section.
  if (bar.firstOfSection()) hit(track, start, kCrash, humanize(rng, 112, 4));
  for (int step = bar.firstOfSection() ? 1 : 0; step < grooveSteps; ++step) {
    const char cymbal = g.cymbal[step];
    if (cymbal == '.') continue;
    // A pickup bar opens the hi-hat on its last off-beat.
    const int key = pickup && step == 14 && g.cymbalKey == kClosedHat ? kOpenHat : g.cymbalKey;
    hit(track, start + step * kSixteenth, key, humanize(rng, cymbal == 'a' ? 96 : 72, 6));
  }
  if (pickup) hit(track, start + 15 * kSixteenth, kSnare, humanize(rng, 70, 4));
  if (!fill) return;
  const int(&pattern)[8] = kFills[rng.below(3)];
  hit(track, start + 8 * kSixteenth, kKick, 105);
  for (int i = 0; i < 8; ++i) {
    if (pattern[i] == 0) {
      if (i % 2 == 0) hit(track, start + (8 + i) * kSixteenth, g.cymbalKey, humanize(rng, 80, 5));
      continue;
    }
    hit(track, start + (8 + i) * kSixteenth, pattern[i], humanize(rng, 88 + i * 4, 4));
  }
}

// The last bar: one crash and kick, left to ring.
void finalHit(MidiTrack& track, const Bar& bar) {
  hit(track, bar.start(), kCrash, 120);
  hit(track, bar.start(), kKick, 120);
}

}  // namespace

MidiTrack drumTrack(const SongForm& form) {
  MidiTrack track = startPart({"Drums", kChannel, 0, 110, 64, 30});
  Rng rng(0xD2D2);
  for (const Bar& bar : form.bars) {
    const bool lastBar = bar.number + 1 == static_cast<int>(form.bars.size());
    if (lastBar) {
      finalHit(track, bar);
    } else if (bar.section == Section::Bridge && bar.lastOfSection()) {
      hit(track, bar.start(), kCrash, 100);
      buildUp(track, rng, bar.start());
    } else {
      const bool fill = bar.lastOfSection() || (bar.section == Section::Outro && bar.sectionBar == 2);
      const bool pickup = !fill && bar.sectionBar % 4 == 3;
      groove(track, rng, bar, fill, pickup);
    }
  }
  return track;
}

}  // namespace mediagen

}  // namespace cog
