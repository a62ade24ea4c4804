#pragma once
// The little harmony the song needs: major scales, triads and how to voice
// them. Keys are MIDI note numbers (60 = middle C); pitch classes are 0..11
// with 0 = C.

#include <array>
#include <vector>

namespace cog {

namespace mediagen {

struct Chord {
  int root = 0;  // pitch class
  bool minor = false;
};

// The pitch class of a key.
int pitchClass(int key);
// Whether a pitch class belongs to the major scale on `tonic`.
bool inMajorScale(int pc, int tonic);
// The key of a scale degree of the major scale whose degree 0 is
// `tonicKey`; degrees below 0 or above 6 reach into other octaves.
int scaleDegreeKey(int degree, int tonicKey);
// The next key of the major scale on `tonic` above (direction +1) or below
// (-1) `key`.
int scaleStep(int key, int direction, int tonic);

// Root, third and fifth.
std::array<int, 3> chordTones(const Chord& chord);
bool isChordTone(int key, const Chord& chord);
// The key of pitch class `pc` nearest to `around` (the lower on a tie).
int nearestKey(int pc, int around);
// The chord tone nearest to `around` (the lower on a tie).
int nearestChordTone(const Chord& chord, int around);
// The lowest key of pitch class `pc` at or above `low`.
int keyAtOrAbove(int pc, int low);

// A close-position triad with every note in [low, high], choosing the
// inversion whose voices move least from `previous` (any inversion when
// `previous` is empty). Keys from low to high.
std::vector<int> voiceLead(const Chord& chord, const std::vector<int>& previous, int low, int high);

}  // namespace mediagen

}  // namespace cog
