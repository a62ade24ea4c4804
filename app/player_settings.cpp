#include "app/player_settings.h"

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <vector>

#include "platform/file_bytes.h"

namespace cog {

namespace {

constexpr size_t kMaxSettingsBytes = 1 << 20;

}  // namespace

SettingsSession openSettings(const std::string& path, std::ostream& err) {
  SettingsSession session;
  session.path = path;
  if (path.empty()) return session;
  std::error_code ec;
  if (!std::filesystem::exists(path, ec) && !ec) {
    session.firstStart = true;
    return session;
  }
  std::vector<uint8_t> bytes;
  std::string error;
  Result<Settings> read = Status::failure("");
  if (!readFileBytes(path, kMaxSettingsBytes, "a settings file", bytes, error))
    read = Status::failure(error);
  else
    read = parseSettings(std::string(bytes.begin(), bytes.end()), path);
  if (!read) {
    err << "cogstorm: " << read.message() << "; playing with the default settings\n";
    session.keep = true;
    return session;
  }
  session.file = read.value();
  return session;
}

void saveSettings(const SettingsSession& session, const PlayerState& start, const PlayerState& end,
                  std::ostream& err) {
  if (session.path.empty() || session.keep || (start == end && !session.firstStart)) return;
  Settings s = session.file;
  if (end.fullscreen != start.fullscreen) s.fullscreen = end.fullscreen;
  if (end.windowWidth != start.windowWidth || end.windowHeight != start.windowHeight) {
    s.windowWidth = std::clamp(end.windowWidth, kMinWindowSide, kMaxWindowSide);
    s.windowHeight = std::clamp(end.windowHeight, kMinWindowSide, kMaxWindowSide);
  }
  if (end.musicVolume != start.musicVolume) s.musicVolume = end.musicVolume;
  if (end.effectsVolume != start.effectsVolume) s.effectsVolume = end.effectsVolume;
  if (end.statusLine != start.statusLine) s.statusLine = end.statusLine;
  if (s == session.file && !session.firstStart) return;
  if (Status st = writeSettings(session.path, s); !st) err << "cogstorm: " << st.message() << '\n';
}

int steppedVolume(int volume, bool louder) {
  // From a volume between steps, the first step lands on one.
  const int down = volume / kVolumeStep * kVolumeStep;
  const int next = louder ? down + kVolumeStep : (down == volume ? volume - kVolumeStep : down);
  return std::clamp(next, 0, 100);
}

std::string applyVolumeKey(PlayerKey key, PlayerState& state) {
  const bool music = key == PlayerKey::MusicQuieter || key == PlayerKey::MusicLouder;
  const bool louder = key == PlayerKey::MusicLouder || key == PlayerKey::EffectsLouder;
  int& volume = music ? state.musicVolume : state.effectsVolume;
  volume = steppedVolume(volume, louder);
  return std::string(music ? "music" : "effects") + " volume " + std::to_string(volume) + "%";
}

}  // namespace cog
