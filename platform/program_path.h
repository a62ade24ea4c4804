#pragma once
// Where the running program's file is, so that it can find the files
// installed with it whatever the install prefix.

#include <string>

namespace cog {

// The folder holding the running program (from /proc/self/exe), empty when
// the system does not say.
std::string programFolder();

}  // namespace cog
