#include "music_theory.h"

#include <cstdlib>
#include <limits>

namespace cog {

namespace mediagen {

namespace {
constexpr std::array<int, 7> kMajorSteps{0, 2, 4, 5, 7, 9, 11};
}

int pitchClass(int key) { return ((key % 12) + 12) % 12; }

bool inMajorScale(int pc, int tonic) {
  for (int step : kMajorSteps)
    if (pitchClass(tonic + step) == pitchClass(pc)) return true;
  return false;
}

int scaleDegreeKey(int degree, int tonicKey) {
  const int octave = degree >= 0 ? degree / 7 : -((-degree + 6) / 7);
  return tonicKey + 12 * octave + kMajorSteps[static_cast<size_t>(degree - 7 * octave)];
}

int scaleStep(int key, int direction, int tonic) {
  int next = key + direction;
  while (!inMajorScale(pitchClass(next), tonic)) next += direction;
  return next;
}

std::array<int, 3> chordTones(const Chord& chord) {
  return {chord.root, pitchClass(chord.root + (chord.minor ? 3 : 4)), pitchClass(chord.root + 7)};
}

bool isChordTone(int key, const Chord& chord) {
  for (int pc : chordTones(chord))
    if (pc == pitchClass(key)) return true;
  return false;
}

int nearestKey(int pc, int around) {
  const int below = around - pitchClass(around - pc);
  return around - below <= below + 12 - around ? below : below + 12;
}

int nearestChordTone(const Chord& chord, int around) {
  int best = 0;
  int bestDistance = std::numeric_limits<int>::max();
  for (int pc : chordTones(chord)) {
    const int key = nearestKey(pc, around);
    const int distance = std::abs(key - around);
    if (distance < bestDistance || (distance == bestDistance && key < best)) {
      best = key;
      bestDistance = distance;
    }
  }
  return best;
}

int keyAtOrAbove(int pc, int low) { return low + pitchClass(pc - low); }

std::vector<int> voiceLead(const Chord& chord, const std::vector<int>& previous, int low, int high) {
  const std::array<int, 3> tones = chordTones(chord);
  std::vector<int> best;
  int bestMove = std::numeric_limits<int>::max();
  for (int inversion = 0; inversion < 3; ++inversion) {
    // Each inversion starts at every octave that keeps the triad in range.
    for (int bottom = keyAtOrAbove(tones[static_cast<size_t>(inversion)], low); bottom <= high; bottom += 12) {
      std::vector<int> voicing{bottom};
      for (int i = 1; i < 3; ++i)
        voicing.push_back(keyAtOrAbove(tones[static_cast<size_t>((inversion + i) % 3)], voicing.back() + 1));
      if (voicing.back() > high) continue;
      int move = 0;
      for (size_t i = 0; i < voicing.size() && i < previous.size(); ++i) move += std::abs(voicing[i] - previous[i]);
      if (previous.empty()) move = std::abs(voicing.front() - low);
      if (move < bestMove) {
        best = voicing;
        bestMove = move;
      }
    }
  }
  return best;
}

}  // namespace mediagen

}  // namespace cog
