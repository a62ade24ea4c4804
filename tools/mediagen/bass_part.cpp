// The bass part: eighth-note patterns on the chord roots, and a passing note
// on the last eighth that walks into the next chord.

#include <cstdlib>

#include "song_parts.h"

namespace cog {

namespace mediagen {

namespace {

constexpr int kChannel = 0;
constexpr int kProgram = 34;  // Electric Bass (pick)
constexpr int kLowestRoot = 28;  // E1: roots lie from here up an octave

// Eight eighths a bar: 'R' the root, 'O' its octave, 'F' its fifth, 'P' a
// passing note into the next chord, '-' holds the note before, '.' rests.
const char* patternFor(const Bar& bar, bool lastBar) {
  if (lastBar) return "R-------";
  switch (bar.section) {
    case Section::Intro: return bar.sectionBar < 2 ? "R-----RO" : "RRRRRRRP";
    case Section::Verse: return "R--RR-FP";
    case Section::Chorus: return bar.pass == 3 ? "RRORRROP" : "RRRRRRRP";
    case Section::Bridge: return bar.lastOfSection() ? "RRRRRRRP" : "R---R-F-";
    case Section::Outro: return "RRRRRRRP";
  }
  return "R-------";
}

int rootKey(const Chord& chord) { return keyAtOrAbove(chord.root, kLowestRoot); }

// The note before the next root: the scale tone next to it on the side the
// line comes from, or a semitone when that tone is where the line already
// is. Without a change of chord the line stays on the fifth.
int passingNote(int root, int nextRoot, int tonic) {
  if (nextRoot == root) return root + 7;
  const int from = nextRoot > root ? -1 : 1;
  const int step = scaleStep(nextRoot, from, tonic);
  return step == root ? nextRoot + from : step;
}

int noteFor(char symbol, int root, int nextRoot, int tonic) {
  switch (symbol) {
    case 'O': return root + 12;
    case 'F': return root + 7;
    case 'P': return passingNote(root, nextRoot, tonic);
    default: return root;
  }
}

}  // namespace

MidiTrack bassTrack(const SongForm& form) {
  MidiTrack track = startPart({"Bass", kChannel, kProgram, 112, 64, 10});
  Rng rng(0xBA55);
  for (const Bar& bar : form.bars) {
    const bool lastBar = bar.number + 1 == static_cast<int>(form.bars.size());
    const char* pattern = patternFor(bar, lastBar);
    const int root = rootKey(bar.chord);
    const int nextRoot = rootKey(bar.next);
    for (int slot = 0; slot < 8; ++slot) {
      const char symbol = pattern[slot];
      if (symbol == '-' || symbol == '.') continue;
      int eighths = 1;
      while (slot + eighths < 8 && pattern[slot + eighths] == '-') ++eighths;
      // Short of the full length, so the eighths drive rather than slur.
      const int64_t length = eighths * kEighth - (lastBar ? 0 : kEighth / 6);
      const int velocity = slot % 2 == 0 ? 100 : 86;
      track.note(bar.start() + slot * kEighth, length, kChannel, noteFor(symbol, root, nextRoot, form.tonic),
                 humanize(rng, velocity, 5));
    }
  }
  return track;
}

}  // namespace mediagen

}  // namespace cog
