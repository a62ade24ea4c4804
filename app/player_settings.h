#pragma once
// The settings file around a window run: read before it (written with the
// defaults on the very first start), and what the player changed while
// playing written back after it. A broken file is named in one line and
// left exactly as it is; the run plays with the defaults.

#include <iosfwd>
#include <string>

#include "app/settings.h"
#include "platform/key_bindings.h"

namespace cog {

// What the player can change while playing, saved when the game closes.
struct PlayerState {
  bool fullscreen = false;
  int windowWidth = 512, windowHeight = 512;
  int musicVolume = 100, effectsVolume = 100;  // percent
  bool statusLine = true;

  bool operator==(const PlayerState&) const = default;
};

struct SettingsSession {
  std::string path;         // empty: no settings file (--no-settings, or no home)
  Settings file;            // as read (the defaults when the file is new or broken)
  bool firstStart = false;  // there was no file before this run
  bool keep = false;        // the file is broken: never write it
};

// Reads the file at `path`. Problems go to `err` as one line each.
SettingsSession openSettings(const std::string& path, std::ostream& err);

// After a run whose window opened: writes the changes from `start` to
// `end` into the file when there are any, or, on the first start, the
// whole file with them. Nothing when the file may not be written.
void saveSettings(const SettingsSession& session, const PlayerState& start, const PlayerState& end,
                  std::ostream& err);

// A volume one step quieter or louder, within 0 to 100.
int steppedVolume(int volume, bool louder);
// Applies a volume key to `state`; the line to show ("music volume 70%").
std::string applyVolumeKey(PlayerKey key, PlayerState& state);

}  // namespace cog
