#pragma once
// Finding the SoundFont the music is played with: the file named on the
// command line, else $COGSTORM_SOUNDFONT, else the first SoundFont in the
// usual folders. Without one the game plays its effects and no music.

#include <string>
#include <vector>

namespace cog {

struct SoundFontChoice {
  std::string path;  // empty: no SoundFont, the music is silent
  std::string why;   // with no path: one line saying why and how to fix it
};

// The usual folders, in search order: $XDG_DATA_HOME/soundfonts (default
// ~/.local/share), each $XDG_DATA_DIRS entry's soundfonts, sounds/sf2 and
// sounds/sf3 (default /usr/local/share:/usr/share; Debian's MuseScore
// SoundFonts are only in sounds/sf3), /usr/share/soundfonts,
// /usr/share/sounds/sf2 and /usr/share/sounds/sf3; each folder once. Null arguments are unset
// variables.
std::vector<std::string> soundFontFolders(const char* xdgDataHome, const char* home, const char* xdgDataDirs);

// The SoundFont to use: `given` (from --soundfont) when not empty, else
// `fromEnvironment` ($COGSTORM_SOUNDFONT) when not null or empty, else the
// first found in `folders`: default-GM.sf2 or .sf3, then any other .sf2 or
// .sf3 by name. A named file that is missing is reported, not replaced.
SoundFontChoice chooseSoundFont(const std::string& given, const char* fromEnvironment,
                                const std::vector<std::string>& folders);
// How to give the game a SoundFont, in a few words for the player.
const char* soundFontAdvice();
// The same from this process's environment.
SoundFontChoice chooseSoundFont(const std::string& given);

}  // namespace cog
