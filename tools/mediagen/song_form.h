#pragma once
// The form of "Roadsong": its sections, the chord of every bar, its key and
// tempo. The parts (drums, bass, chords, lead) are written over this plan.

#include <cstdint>
#include <string>
#include <vector>

#include "music_theory.h"

namespace cog {

namespace mediagen {

// Pulses per quarter note: the game's music clock counts 768.
constexpr int kDivision = 768;
constexpr int64_t kQuarter = kDivision;
constexpr int64_t kEighth = kQuarter / 2;
constexpr int64_t kSixteenth = kQuarter / 4;
constexpr int64_t kBar = 4 * kQuarter;  // the song is in 4/4 throughout

enum class Section { Intro, Verse, Chorus, Bridge, Outro };

struct Bar {
  int number = 0;        // from the start of the piece
  Section section = Section::Intro;
  int pass = 1;          // which verse or chorus, from 1
  int sectionBar = 0;    // from the start of the section
  int sectionBars = 0;   // bars in the section
  Chord chord;
  Chord next;            // the chord of the bar after (the first bar's after the last)

  int64_t start() const { return number * kBar; }
  bool firstOfSection() const { return sectionBar == 0; }
  bool lastOfSection() const { return sectionBar == sectionBars - 1; }
};

struct SectionMark {
  int bar = 0;
  std::string name;  // "Verse 2", ...
};

struct SongForm {
  int tonic = 0;        // pitch class of the key (major)
  int keySharps = 0;    // for the key signature
  int32_t tempo = 0;    // microseconds per quarter note from the start
  int32_t pushTempo = 0;  // ... from `pushBar` on: the last chorus drives a little harder
  int pushBar = 0;
  std::vector<Bar> bars;
  std::vector<SectionMark> sections;

  int64_t length() const { return static_cast<int64_t>(bars.size()) * kBar; }
  // The piece's length in seconds, tempo change included.
  double seconds() const;
};

// Intro, verse, chorus, verse, chorus, bridge, a double last chorus pushed
// a little faster, and an outro, in A major at 132 then 136 bpm.
SongForm roadsongForm();

}  // namespace mediagen

}  // namespace cog
