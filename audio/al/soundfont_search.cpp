#include "audio/al/soundfont_search.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace cog {

namespace fs = std::filesystem;

namespace {

constexpr const char* kHowToFix =
    "install a General MIDI SoundFont (Debian: apt install timgm6mb-soundfont) or name one with --soundfont FILE "
    "or COGSTORM_SOUNDFONT";

bool isFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

bool isSoundFontName(const fs::path& p) {
  std::string ext = p.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".sf2" || ext == ".sf3";
}

// default-GM first (Debian points it at the preferred General MIDI set),
// then the folder's other SoundFonts in name order.
std::string firstIn(const std::string& folder) {
  for (const char* name : {"default-GM.sf2", "default-GM.sf3"}) {
    const std::string path = folder + "/" + name;
    if (isFile(path)) return path;
  }
  std::error_code ec;
  std::vector<std::string> found;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (isSoundFontName(it->path()) && isFile(it->path().string())) found.push_back(it->path().string());
  }
  if (found.empty()) return std::string();
  return *std::min_element(found.begin(), found.end());
}

}  // namespace

std::vector<std::string> soundFontFolders(const char* xdgDataHome, const char* home, const char* xdgDataDirs) {
  std::vector<std::string> folders;
  auto add = [&folders](std::string base, const char* sub) {
    // Relative entries are not valid in the XDG variables and are skipped.
    if (base.empty() || base[0] != '/') return;
    while (!base.empty() && base.back() == '/') base.pop_back();
    const std::string f = base + sub;
    if (std::find(folders.begin(), folders.end(), f) == folders.end()) folders.push_back(f);
  };
  if (xdgDataHome != nullptr && xdgDataHome[0] != '\0') {
    add(xdgDataHome, "/soundfonts");
  } else if (home != nullptr && home[0] != '\0') {
    add(home, "/.local/share/soundfonts");
  }
  const std::string dirs =
      xdgDataDirs != nullptr && xdgDataDirs[0] != '\0' ? xdgDataDirs : "/usr/local/share:/usr/share";
  size_t from = 0;
  while (from <= dirs.size()) {
    size_t to = dirs.find(':', from);
    if (to == std::string::npos) to = dirs.size();
    const std::string dir = dirs.substr(from, to - from);
    add(dir, "/soundfonts");
    add(dir, "/sounds/sf2");
    add(dir, "/sounds/sf3");
    from = to + 1;
  }
  add("/usr/share", "/soundfonts");
  add("/usr/share", "/sounds/sf2");
  add("/usr/share", "/sounds/sf3");
  return folders;
}

SoundFontChoice chooseSoundFont(const std::string& given, const char* fromEnvironment,
                                const std::vector<std::string>& folders) {
  SoundFontChoice choice;
  auto named = [&choice](const std::string& path, const std::string& by) {
    if (isFile(path)) {
      choice.path = path;
    } else {
      choice.why = "no music: the SoundFont " + path + " named by " + by + " is not a file; " + kHowToFix;
    }
    return choice;
  };
  if (!given.empty()) return named(given, "--soundfont");
  if (fromEnvironment != nullptr && fromEnvironment[0] != '\0') return named(fromEnvironment, "COGSTORM_SOUNDFONT");
  for (const std::string& folder : folders) {
    choice.path = firstIn(folder);
    if (!choice.path.empty()) return choice;
  }
  choice.why = std::string("no music: no SoundFont found in the usual folders (") +
               (folders.empty() ? std::string("none") : folders.front() + " ... " + folders.back()) + "); " +
               kHowToFix;
  return choice;
}

const char* soundFontAdvice() { return kHowToFix; }

SoundFontChoice chooseSoundFont(const std::string& given) {
  return chooseSoundFont(given, std::getenv("COGSTORM_SOUNDFONT"),
                         soundFontFolders(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"),
                                          std::getenv("XDG_DATA_DIRS")));
}

}  // namespace cog
