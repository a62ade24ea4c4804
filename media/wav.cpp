// The WAV reader: the RIFF layout check and the decoding through libsndfile from memory.
#include "media/wav.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/file_bytes.h"

namespace cog {

namespace {

uint32_t be32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
uint32_t le32(const uint8_t* p) {
  return (uint32_t{p[3]} << 24) | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

std::string chunkName(const uint8_t* p) {
  std::string s = "\"";
  for (int i = 0; i < 4; ++i) s += (p[i] >= 0x20 && p[i] < 0x7F) ? static_cast<char>(p[i]) : '?';
  return s + "\"";
}

struct SndFileCloser {
  void operator()(SNDFILE* f) const { sf_close(f); }
};
using SndFile = std::unique_ptr<SNDFILE, SndFileCloser>;

// libsndfile reads the bytes in memory through these.
struct MemoryFile {
  const uint8_t* data;
  sf_count_t size;
  sf_count_t pos;
};

sf_count_t memLength(void* user) { return static_cast<MemoryFile*>(user)->size; }
sf_count_t memSeek(sf_count_t offset, int whence, void* user) {
  auto* f = static_cast<MemoryFile*>(user);
  sf_count_t base = 0;
  if (whence == SEEK_CUR) base = f->pos;
  if (whence == SEEK_END) base = f->size;
  if (offset < -base) return -1;
  const sf_count_t to = base + offset;
  f->pos = std::min(to, f->size);
  return f->pos;
}
sf_count_t memRead(void* ptr, sf_count_t count, void* user) {
  auto* f = static_cast<MemoryFile*>(user);
  if (count <= 0) return 0;
  const sf_count_t n = std::min(count, f->size - f->pos);
  std::memcpy(ptr, f->data + f->pos, static_cast<size_t>(n));
  f->pos += n;
  return n;
}
sf_count_t memWrite(const void*, sf_count_t, void*) { return 0; }
sf_count_t memTell(void* user) { return static_cast<MemoryFile*>(user)->pos; }

// Finds a chunk, before the sound data, that is longer than what is left of
// the file: the mark of a WAV file cut short. libsndfile would quietly play
// what is left.
bool checkWaveLayout(const uint8_t* d, size_t size, std::string& what) {
  if (size == 0) {
    what = "empty file";
    return false;
  }
  const bool little = size >= 12 && std::memcmp(d, "RIFF", 4) == 0;
  const bool big = size >= 12 && std::memcmp(d, "RIFX", 4) == 0;
  if ((!little && !big) || std::memcmp(d + 8, "WAVE", 4) != 0) {
    what = "not a WAV file (it does not start with \"RIFF\" and \"WAVE\")";
    return false;
  }
  size_t pos = 12;
  while (size - pos >= 8) {
    const uint32_t length = little ? le32(d + pos + 4) : be32(d + pos + 4);
    const size_t available = size - pos - 8;
    const bool data = std::memcmp(d + pos, "data", 4) == 0;
    // A data size of 0 or 0xFFFFFFFF is left open by streaming writers.
    if (data && (length == 0 || length == 0xFFFFFFFFu)) return true;
    if (length > available) {
      what = data ? "cut off: its sound data should be " + std::to_string(length) + " bytes, the file holds " +
                        std::to_string(available)
                  : "cut off: chunk " + chunkName(d + pos) + " should hold " + std::to_string(length) +
                        " bytes, the file has " + std::to_string(available) + " left";
      return false;
    }
    if (data) return true;
    pos += 8 + length;
    if (length & 1u) {
      if (pos >= size) break;
      ++pos;
    }
  }
  what = "no sound data (no \"data\" chunk)";
  return false;
}

}  // namespace

Result<WaveSound> decodeWave(const uint8_t* data, size_t size, const std::string& name, bool keepSamples) {
  if (size > kMaxWaveFileBytes) return Status::failure(name + ": file is too large for a sound");
  std::string what;
  if (!checkWaveLayout(data, size, what)) return Status::failure(name + ": " + what);

  MemoryFile file{data, static_cast<sf_count_t>(size), 0};
  SF_VIRTUAL_IO io{memLength, memSeek, memRead, memWrite, memTell};
  SF_INFO info{};
  const SndFile sf(sf_open_virtual(&io, SFM_READ, &info, &file));
  if (!sf) return Status::failure(name + ": cannot be read as WAV (" + sf_strerror(nullptr) + ")");
  const int major = info.format & SF_FORMAT_TYPEMASK;
  if (major != SF_FORMAT_WAV && major != SF_FORMAT_WAVEX) return Status::failure(name + ": not a WAV file");
  if (info.channels != 1 && info.channels != 2)
    return Status::failure(name + ": " + std::to_string(info.channels) + " channels; a sound must be mono or stereo");
  if (info.samplerate <= 0 || info.samplerate > 768000)
    return Status::failure(name + ": unusable sample rate " + std::to_string(info.samplerate));
  if (info.frames < 0 || info.frames > kMaxWaveSamples / info.channels)
    return Status::failure(name + ": too long for a sound effect");

  WaveSound out;
  out.channels = info.channels;
  out.sampleRate = info.samplerate;
  out.frames = info.frames;
  if (keepSamples) out.samples.resize(static_cast<size_t>(info.frames * info.channels));
  std::vector<int16_t> scratch;
  if (!keepSamples) scratch.resize(static_cast<size_t>(4096 * info.channels));
  sf_count_t done = 0;
  while (done < info.frames) {
    const sf_count_t want = std::min<sf_count_t>(4096, info.frames - done);
    int16_t* to = keepSamples ? out.samples.data() + done * info.channels : scratch.data();
    const sf_count_t got = sf_readf_short(sf.get(), to, want);
    if (got <= 0) break;
    done += got;
  }
  if (done != info.frames) {
    return Status::failure(name + ": cannot be read to its end (" + std::to_string(done) + " of " +
                           std::to_string(info.frames) + " sample frames)");
  }
  return out;
}

Result<WaveSound> readWaveFile(const std::string& path, bool keepSamples) {
  std::vector<uint8_t> bytes;
  std::string error;
  if (!readFileBytes(path, kMaxWaveFileBytes, "a sound", bytes, error)) return Status::failure(error);
  return decodeWave(bytes.data(), bytes.size(), path, keepSamples);
}

}  // namespace cog
