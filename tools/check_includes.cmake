# The include check: reads every #include line of the game's folders and
# fails, naming the file and the line, when one points up the layers, across
# to a backend, or at SDL, GL or AL headers outside platform/ and the
# backends.
#
#   cmake -DROOT=<source folder> -P tools/check_includes.cmake
#
# The layers, top to bottom (a file may include its own layer and those
# below it):
#
#   app      app/                  the run modes: may include everything, and name backends
#   game     game/                 the game's rules around the passes
#   sim      sim/                  } the passes: neither includes the other
#   passes   render/ (drawing)     }
#   sound    audio/ (game logic)
#   level    level/
#   seams    seams/
#   base     base/
#
# Beside them: platform/ (SDL, files, images) uses only base/; the media
# readers (media/) use the seams, platform/ and base/; render/gpu (what the
# GL devices share, without GL calls) uses the seams, platform/ and base/;
# each backend (render/gl, render/shader, render/rec, audio/al, audio/rec,
# audio/web) uses its seam,
# render/gpu, the media readers, platform/ and base/, and only its own
# folder among the backends.

cmake_minimum_required(VERSION 3.20)

if(NOT ROOT)
  message(FATAL_ERROR "usage: cmake -DROOT=<source folder> -P check_includes.cmake")
endif()

set(COG_FOLDERS app game audio base level media platform render seams sim)

# Includes that are known to break the rules, each with the reason, as
# "file -> included". Keep this list short and say when an entry goes.
set(COG_KNOWN_EXCEPTIONS "")

# The layer of a repository file, by its path from ROOT.
function(cog_layer_of path out)
  if(path MATCHES "^(render/gl|render/shader|render/rec|audio/al|audio/rec|audio/web)/")
    set(layer "backend:${CMAKE_MATCH_1}")
  elseif(path MATCHES "^render/gpu/")
    set(layer gpu)
  elseif(path MATCHES "^render/")
    set(layer passes)
  elseif(path MATCHES "^audio/")
    set(layer sound)
  elseif(path MATCHES "^(app|game|sim|level|base|platform|seams|media)/")
    set(layer ${CMAKE_MATCH_1})
  else()
    set(layer other)
  endif()
  set(${out} ${layer} PARENT_SCOPE)
endfunction()

# The layers a layer may include.
set(COG_MAY_base base)
set(COG_MAY_platform platform base)
set(COG_MAY_seams seams base)
set(COG_MAY_media media seams platform base)
set(COG_MAY_level level seams base)
set(COG_MAY_sound sound level seams base)
set(COG_MAY_game game sim passes sound level seams base)
set(COG_MAY_sim sim sound level seams base)
set(COG_MAY_passes passes sound level seams base)
set(COG_MAY_gpu gpu seams platform base)
set(COG_MAY_backend gpu seams media platform base)

# System headers only platform/ and the backends may include (SDL, OpenGL,
# OpenAL, FluidSynth), and the file-format libraries the media readers use
# too.
set(COG_DEVICE_HEADERS "^(SDL[^/]*\\.h|SDL2/.*|GL/.*|AL/.*|fluidsynth.*)$")
set(COG_FORMAT_HEADERS "^(png\\.h|jpeglib\\.h|jerror\\.h|sndfile.*)$")

set(failures "")
set(checked 0)
foreach(folder ${COG_FOLDERS})
  file(GLOB_RECURSE files RELATIVE ${ROOT} ${ROOT}/${folder}/*.h ${ROOT}/${folder}/*.cpp)
  list(SORT files)
  foreach(file ${files})
    math(EXPR checked "${checked} + 1")
    cog_layer_of(${file} from)
    set(fromKind ${from})
    if(from MATCHES "^backend:")
      set(fromKind backend)
    endif()
    file(READ ${ROOT}/${file} text)
    # One list entry per line: protect the characters CMake lists treat
    # specially first.
    string(REPLACE "\\" "/" text "${text}")
    string(REPLACE ";" "," text "${text}")
    string(REPLACE "[" "(" text "${text}")
    string(REPLACE "]" ")" text "${text}")
    string(REPLACE "\n" ";" lines "${text}")
    set(lineNumber 0)
    foreach(line IN LISTS lines)
      math(EXPR lineNumber "${lineNumber} + 1")
      if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"]+)[>\"]")
        continue()
      endif()
      set(quote "${CMAKE_MATCH_1}")
      set(target "${CMAKE_MATCH_2}")
      set(where "${file}:${lineNumber}")
      if(quote STREQUAL "<")
        if(fromKind STREQUAL "app" OR fromKind STREQUAL "platform" OR fromKind STREQUAL "backend")
          continue()
        endif()
        if(target MATCHES "${COG_DEVICE_HEADERS}")
          list(APPEND failures "${where}: includes <${target}>: SDL, GL and AL headers belong in platform/ and the backends")
        elseif(target MATCHES "${COG_FORMAT_HEADERS}" AND NOT fromKind STREQUAL "media")
          list(APPEND failures "${where}: includes <${target}>: file-format libraries belong in platform/, the media readers and the backends")
        endif()
        continue()
      endif()
      if("${file} -> ${target}" IN_LIST COG_KNOWN_EXCEPTIONS)
        continue()
      endif()
      if(fromKind STREQUAL "app")
        continue()
      endif()
      cog_layer_of(${target} to)
      if(to STREQUAL "other")
        continue()  # not one of the game's folders
      endif()
      if(to MATCHES "^backend:")
        if(NOT to STREQUAL from)
          list(APPEND failures "${where}: includes \"${target}\": only app/ names a backend (${fromKind} -> ${to})")
        endif()
        continue()
      endif()
      if(NOT to IN_LIST COG_MAY_${fromKind})
        if((fromKind STREQUAL "sim" AND to STREQUAL "passes") OR (fromKind STREQUAL "passes" AND to STREQUAL "sim"))
          list(APPEND failures "${where}: includes \"${target}\": sim/ and the render passes sit side by side, neither includes the other")
        else()
          list(APPEND failures "${where}: includes \"${target}\": ${fromKind} may not include ${to} (the arrows go app -> game -> sim, passes -> sound -> level -> seams -> base)")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

list(LENGTH failures failureCount)
if(failureCount GREATER 0)
  foreach(failure IN LISTS failures)
    message("${failure}")
  endforeach()
  message(FATAL_ERROR "include check: ${failureCount} include(s) break the layers (${checked} files read)")
endif()
message(STATUS "include check: ${checked} files, every include follows the layers")
