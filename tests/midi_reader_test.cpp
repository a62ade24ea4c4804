// The MIDI reader: the layouts real files have (running status, pressure,
// program changes, SysEx, meta events of every length, several tracks, odd
// tempo maps), their limits, and every way a file can be broken.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "media/midi.h"
#include "support/midi_pieces.h"

namespace cog {

namespace {

const std::string kMedia = std::string(COGSTORM_TEST_DATA) + "/media/";

std::vector<uint8_t> fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool startsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

using Bytes = std::vector<uint8_t>;

// A file of `format` with one track per entry; each track gets its end of
// track right after its events.
Bytes midiFile(uint16_t format, uint16_t division, const std::vector<Bytes>& tracks) {
  Bytes f = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, static_cast<uint8_t>(format), 0, static_cast<uint8_t>(tracks.size()),
             static_cast<uint8_t>(division >> 8), static_cast<uint8_t>(division & 0xFF)};
  for (Bytes t : tracks) {
    t.insert(t.end(), {0x00, 0xFF, 0x2F, 0x00});
    const uint32_t n = static_cast<uint32_t>(t.size());
    f.insert(f.end(), {'M', 'T', 'r', 'k', static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
                       static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)});
    f.insert(f.end(), t.begin(), t.end());
  }
  return f;
}
Bytes oneTrack(const Bytes& events, uint16_t division = 96) { return midiFile(0, division, {events}); }

// A text meta event (0x01) of `length` bytes at delta 0, its length written
// as the shortest variable-length number.
Bytes textOf(uint32_t length) {
  Bytes e = {0x00, 0xFF, 0x01};
  Bytes len = {static_cast<uint8_t>(length & 0x7F)};
  for (uint32_t v = length >> 7; v != 0; v >>= 7) len.insert(len.begin(), static_cast<uint8_t>(0x80 | (v & 0x7F)));
  e.insert(e.end(), len.begin(), len.end());
  e.insert(e.end(), length, 'a');
  return e;
}

Bytes join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

const Bytes kTempo100 = {0xFF, 0x51, 0x03, 0x09, 0x27, 0xC0};  // 600000 us per quarter
const Bytes kTempo60 = {0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40};   // 1000000

// ---------------------------------------------------------------------------

TEST(MidiReader, RealWorldLayouts) {
  struct Case {
    const char* what;
    Bytes bytes;
    MusicTime length;     // music ticks
    int32_t firstTempo;   // microseconds per quarter note
    size_t stretches;     // of the tempo map
    int events;           // visited, the ends of the tracks included
  };
  const Case cases[] = {
      {"running status through note on and off", oneTrack({0x00, 0x90, 60, 100, 0x60, 60, 0, 0x00, 0x80, 61, 0}),
       768, 500000, 1, 4},
      {"key pressure, channel pressure with running status",
       oneTrack({0x00, 0xA0, 60, 50, 0x00, 0xD0, 40, 0x10, 41, 0x10, 42}), 256, 500000, 1, 5},
      {"program changes, control change, pitch bend",
       oneTrack({0x00, 0xC0, 5, 0x00, 6, 0x00, 0xB0, 7, 100, 0x00, 0xE0, 0x00, 0x40}), 0, 500000, 1, 5},
      {"SysEx (General MIDI on) before the notes",
       oneTrack({0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7, 0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0}), 768,
       500000, 1, 4},
      {"meta event of no bytes", oneTrack(textOf(0)), 0, 500000, 1, 2},
      {"meta event of 127 bytes (one length byte)", oneTrack(textOf(127)), 0, 500000, 1, 2},
      {"meta event of 128 bytes (two length bytes)", oneTrack(textOf(128)), 0, 500000, 1, 2},
      {"meta event of 16383 bytes (two length bytes)", oneTrack(textOf(16383)), 0, 500000, 1, 2},
      {"meta event of 16384 bytes (three length bytes)", oneTrack(textOf(16384)), 0, 500000, 1, 2},
      {"a length written in four bytes", oneTrack({0x00, 0xFF, 0x01, 0x80, 0x80, 0x80, 0x02, 'h', 'i'}), 0, 500000,
       1, 2},
      {"the longest event time, just inside the music clock",
       oneTrack({0xFF, 0xFF, 0xFF, 0x7F, 0x90, 60, 100}), 2147483640, 500000, 1, 2},
      {"several tracks: the longest one sets the length",
       midiFile(1, 96, {join({{0x00}, kTempo100}), {0x00, 0x90, 60, 100, 0x81, 0x40, 0x80, 60, 0},
                        {0x00, 0x91, 64, 100, 0x60, 0x81, 64, 0}}),
       2 * 768, 600000, 1, 8},
      {"tempo in a later track, earlier in time, comes first",
       midiFile(1, 96, {join({{0x60}, kTempo60}), join({{0x30}, kTempo100})}), 768, 600000, 3, 4},
      {"two tempos at one time: the lower track's comes first",
       midiFile(1, 96, {join({{0x30}, kTempo60}), join({{0x30}, kTempo100})}), 384, 1000000, 2, 4},
      {"a tempo on the last pulse", oneTrack(join({{0x00, 0x90, 60, 100, 0x60}, kTempo60})), 768, 1000000, 2, 3},
      {"a chunk of another kind is skipped",
       [] {
         Bytes f = oneTrack({0x00, 0x90, 60, 100});
         f.insert(f.begin() + 14, {'X', 'F', 'I', 'H', 0, 0, 0, 2, 1, 2});
         return f;
       }(),
       0, 500000, 1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    int events = 0;
    MidiLayout layout;
    const Status walked = walkMidi(c.bytes, "a.mid", layout, [&events](const MidiEvent&) { ++events; });
    ASSERT_TRUE(walked) << walked.message();
    EXPECT_EQ(events, c.events);
    Result<MidiInfo> midi = decodeMidi(c.bytes, "a.mid");
    ASSERT_TRUE(midi) << midi.message();
    EXPECT_EQ(midi->length, c.length);
    EXPECT_EQ(midi->microsecondsPerQuarter, c.firstTempo);
    EXPECT_EQ(midi->hasTempo, c.firstTempo != 500000);
    EXPECT_EQ(midi->tempos->stretches(), c.stretches);
  }
}

TEST(MidiReader, EventsCarryTheirTrackTimeStatusAndData) {
  std::vector<MidiEvent> seen;
  std::vector<Bytes> data;
  MidiLayout layout;
  const Bytes f = midiFile(1, 480, {join({{0x00}, kTempo100}), {0x10, 0xC3, 0x21, 0x20, 0x93, 60, 90, 0x20, 62, 0}});
  ASSERT_TRUE(walkMidi(f, "a.mid", layout, [&](const MidiEvent& e) {
    seen.push_back(e);
    data.emplace_back(e.data, e.data + e.size);
  }));
  EXPECT_EQ(layout.format, 1);
  EXPECT_EQ(layout.tracks, 2);
  EXPECT_EQ(layout.pulsesPerQuarter, 480);
  ASSERT_EQ(seen.size(), 6u);
  EXPECT_EQ(seen[0].status, 0xFF);
  EXPECT_EQ(seen[0].metaType, 0x51);
  EXPECT_EQ(data[0], (Bytes{0x09, 0x27, 0xC0}));
  EXPECT_EQ(seen[2].track, 2);
  EXPECT_EQ(seen[2].status, 0xC3);
  EXPECT_EQ(data[2], Bytes{0x21});
  EXPECT_EQ(seen[4].status, 0x93);  // by running status
  EXPECT_EQ(seen[4].pulses, 0x50);
  EXPECT_EQ(data[4], (Bytes{62, 0}));
  EXPECT_EQ(seen[5].metaType, 0x2F);
}

TEST(MidiReader, BrokenFilesNameTheFileAndTheFault) {
  Bytes format2 = oneTrack({});
  format2[9] = 2;
  Bytes longHeader = oneTrack({});
  longHeader[7] = 8;
  longHeader.insert(longHeader.begin() + 14, {0, 0});
  Bytes noEnd = oneTrackMidiFile({0x00, 0x90, 60, 100});
  noEnd.resize(noEnd.size() - 4);
  noEnd[21] = static_cast<uint8_t>(noEnd[21] - 4);
  Bytes twoAnnounced = oneTrack({});
  twoAnnounced[9] = 1;
  twoAnnounced[11] = 2;
  const struct {
    Bytes bytes;
    const char* reason;
  } cases[] = {
      {oneTrack({0x00, 0x90, 60, 100}, 0x8000 | 25 << 8 | 40), "SMPTE"},
      {oneTrack({0x00, 0x90, 60, 100}, 0), "zero pulses"},
      {oneTrack({0x00, 60, 100}), "no status"},
      {oneTrack({0x00, 0x90, 60, 100, 0x00, 0xF0, 0x01, 0xF7, 0x00, 60, 0}), "no status"},  // SysEx ends it
      {oneTrack({0x00, 0xFF, 0x51, 0x02, 0x07, 0xA1}), "tempo event of 2 bytes"},
      {oneTrack({0x00, 0xFF, 0x51, 0x04, 0x07, 0xA1, 0x20, 0x00}), "tempo event of 4 bytes"},
      {oneTrack({0x00, 0xFF, 0x51, 0x03, 0x00, 0x00, 0x00}), "tempo of zero"},
      {oneTrack({0x00, 0xFF, 0x58, 0x02, 0x04, 0x02}), "time signature"},
      {oneTrack({0x00, 0xF2, 0x00, 0x00}), "unexpected status"},
      {oneTrack({0x00, 0x90, 60, 0x90}), "missing a data byte"},
      {oneTrack({0xFF, 0xFF, 0xFF, 0xFF, 0x7F}), "longer than four bytes"},
      {oneTrack({0x00, 0xFF, 0x01, 0x80, 0x80, 0x80, 0x80, 0x01, 'a'}), "meta event 0x01 runs past the end"},
      {oneTrack({0x00, 0xFF, 0x01, 0x06, 'a'}), "meta event 0x01 runs past the end"},
      {oneTrack({0x00, 0xF0, 0x06, 0x7E}), "system exclusive event runs past the end"},
      {oneTrack({0x00, 0xF7, 0x01, 0x00}), "(0xF7)"},
      {oneTrack({0x00, 0xFF, 0x80, 0x00}), "type 0x80 out of range"},
      {oneTrack({0x00, 0xFF, 0x2F, 0x00, 0x00, 0x90, 60, 100}), "8 bytes after the end-of-track"},
      {oneTrack({0xFF, 0xFF, 0xFF, 0x7F, 0x90, 60, 100}, 95), "too long to play"},
      {midiFile(0, 96, {{}, {}}), "a format 0 MIDI file with 2 tracks"},
      {midiFile(1, 96, {}), "announces no tracks"},
      {format2, "format 2"},
      {longHeader, "header of 8 bytes"},
      {noEnd, "no end-of-track"},
      {twoAnnounced, "announces 2 tracks, the file holds 1"},
      {Bytes(kMaxMidiFileBytes + 1, 0), "too large"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    const Result<MidiInfo> midi = decodeMidi(c.bytes, "bad.mid");
    ASSERT_FALSE(midi.ok());
    EXPECT_TRUE(startsWith(midi.message(), "bad.mid: ")) << midi.message();
    EXPECT_NE(midi.message().find(c.reason), std::string::npos) << midi.message();
  }
}

TEST(MidiReader, TheFixtureMusicAndBrokenFiles) {
  Result<MidiInfo> midi = readMidiFile(kMedia + "Roadsong.mid");
  ASSERT_TRUE(midi) << midi.message();
  EXPECT_EQ(midi->pulsesPerQuarter, 480);
  EXPECT_EQ(midi->lengthPulses, 32 * 480);
  EXPECT_EQ(midi->length, 32 * 768);  // converted to 768 ticks per quarter note
  EXPECT_TRUE(midi->hasTempo);
  EXPECT_EQ(midi->microsecondsPerQuarter, 600000);

  Result<MidiInfo> two = decodeMidi(twoTempoPiece(), "two.mid");
  ASSERT_TRUE(two) << two.message();
  EXPECT_EQ(two->length, kTwoTempoLength);
  ASSERT_EQ(two->tempos->stretches(), 2u);
  EXPECT_EQ(two->tempos->tempoAt(kTwoTempoChangeTick), 1000000);
  EXPECT_EQ(two->tempos->microsecondsAt(kTwoTempoLength), 12000000);

  const struct {
    std::string path;
    const char* reason;
  } broken[] = {
      {kMedia + "missing.mid", "cannot open"},
      {kMedia + "not_midi.mid", "not a MIDI file"},
      {kMedia + "Roadsong_truncated.mid", "cut off"},
      {kMedia, "not a regular file"},
  };
  for (const auto& b : broken) {
    const Result<MidiInfo> bad = readMidiFile(b.path);
    ASSERT_FALSE(bad.ok()) << b.path;
    EXPECT_TRUE(startsWith(bad.message(), b.path)) << bad.message();
    EXPECT_NE(bad.message().find(b.reason), std::string::npos) << bad.message();
  }
}

// Every cut of a real file is an error, and every one-byte change a clean
// answer naming the file.
TEST(MidiReader, EveryCutAndByteChangeOfTheMusicIsHandled) {
  const Bytes whole = fileBytes(kMedia + "Roadsong.mid");
  ASSERT_GT(whole.size(), 100u);
  for (size_t n = 0; n < whole.size(); ++n) {
    const Result<MidiInfo> midi = decodeMidi(Bytes(whole.begin(), whole.begin() + n), "cut.mid");
    EXPECT_FALSE(midi.ok()) << n;
    EXPECT_TRUE(startsWith(midi.message(), "cut.mid: ")) << midi.message();
  }
  const uint8_t values[] = {0x00, 0x7F, 0x80, 0xFF, 0xF0, 0x51};
  for (size_t i = 0; i < whole.size(); ++i) {
    for (uint8_t v : values) {
      Bytes changed = whole;
      changed[i] = v;
      const Result<MidiInfo> midi = decodeMidi(changed, "changed.mid");
      if (!midi) {
        EXPECT_TRUE(startsWith(midi.message(), "changed.mid: ")) << midi.message();
      }
    }
  }
}

}  // namespace

}  // namespace cog
