#pragma once
// The game's media files: MIDI music and WAV sounds, checked and read the
// same way by every audio engine, so a missing or broken file fails in the
// silent engine exactly as it does in the sounding one.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "seams/audio_engine.h"
#include "media/tempo_map.h"

namespace cog {

constexpr size_t kMaxMidiFileBytes = size_t{1} << 20;
constexpr size_t kMaxWaveFileBytes = size_t{64} << 20;
constexpr int64_t kMaxWaveSamples = int64_t{1} << 25;

struct MidiInfo {
  std::vector<uint8_t> bytes;          // the whole file, checked
  int32_t pulsesPerQuarter = 0;        // the file's own division
  int64_t lengthPulses = 0;            // in the file's pulses, end of the longest track
  MusicTime length = 0;                // in music ticks, 768 per quarter note
  int32_t microsecondsPerQuarter = kDefaultMicrosecondsPerQuarter;  // first tempo event
  bool hasTempo = false;
  std::shared_ptr<const TempoMap> tempos = std::make_shared<TempoMap>();  // every tempo event of every track
};

struct WaveSound {
  int32_t channels = 0;
  int32_t sampleRate = 0;
  int64_t frames = 0;
  std::vector<int16_t> samples;  // interleaved; left empty when only checking
};

// Checks a standard MIDI file (header, chunk sizes, every event of every
// track) and reads its length, first tempo and tempo map. `name` is the
// file name the messages use. false with `error` naming the file and what
// was wrong.
bool decodeMidi(std::vector<uint8_t> bytes, const std::string& name, MidiInfo& out, std::string& error);
// The same, from a file.
bool readMidiFile(const std::string& path, MidiInfo& out, std::string& error);

// Checks a WAV file (RIFF layout, no chunk cut short) and decodes it with
// libsndfile to 16-bit samples; with `keepSamples` false the samples are
// read and dropped.
bool decodeWave(const uint8_t* data, size_t size, const std::string& name, bool keepSamples, WaveSound& out,
                std::string& error);
// The same, from a file.
bool readWaveFile(const std::string& path, bool keepSamples, WaveSound& out, std::string& error);

// A file named .mid or .midi (any case) is music; anything else a sound.
bool isMidiName(const std::string& name);

}  // namespace cog
