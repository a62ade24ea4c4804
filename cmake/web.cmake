# The browser build: the game compiled to WebAssembly with Emscripten
# (configured by dev.sh with emcmake). Nothing here asks the host's
# pkg-config: the libraries come from COG_WEB_DEPS, a prefix of zlib,
# libpng, libjpeg-turbo and libsndfile built from Debian's sources by
# tools/web/build_deps.sh. The level is compiled natively (a native build's
# level folder, COG_WEB_LEVEL) and packed with the page.
#
# Targets:
#   cogstorm-trace  the simulation under Node (app/web/main/trace_main.cpp):
#                   headless trace runs on Node's file system
#   cogstorm-page   the page: site/index.html with cogstorm.js, .wasm and
#                   .data (the level), the synthesizer and the SoundFont
#
# The same layers as the native build, less what needs SDL, desktop GL or
# OpenAL Soft and FluidSynth: the SDL window and controllers, the offscreen
# surface, the fixed-function device, the native sound engine and the
# command line. In their place: platform/web (the canvas, keys, gamepads,
# the page), audio/web (effects on Emscripten's OpenAL, music handed to
# the page's synthesizer) and app/web (the runs).

set(COG_WEB_DEPS "" CACHE PATH "Prefix of the WebAssembly zlib, libpng, libjpeg and libsndfile")
set(COG_WEB_LEVEL "" CACHE PATH "The compiled level folder packed with the page")
set(COG_WEB_SOUNDFONT "/usr/share/sounds/sf2/TimGM6mb.sf2" CACHE FILEPATH "The SoundFont packed with the page")
set(COG_WEB_SYNTH "" CACHE PATH "js-synthesizer's dist folder (npm)")
if(NOT COG_WEB_DEPS OR NOT EXISTS ${COG_WEB_DEPS}/lib/libpng16.a)
  message(FATAL_ERROR "COG_WEB_DEPS must name the prefix tools/web/build_deps.sh prints")
endif()

set(COG_WEB_FLAGS -sDISABLE_EXCEPTION_CATCHING=1)
add_compile_options(${COG_WEB_FLAGS})

function(cog_web_import name file)
  add_library(${name} STATIC IMPORTED)
  set_target_properties(${name} PROPERTIES IMPORTED_LOCATION ${COG_WEB_DEPS}/lib/${file})
  target_include_directories(${name} SYSTEM INTERFACE ${COG_WEB_DEPS}/include)
endfunction()
cog_web_import(cogweb_z libz.a)
cog_web_import(cogweb_png libpng16.a)
target_link_libraries(cogweb_png INTERFACE cogweb_z)
cog_web_import(cogweb_jpeg libjpeg.a)
cog_web_import(cogweb_sndfile libsndfile.a)

set(S ${CMAKE_SOURCE_DIR})
function(cog_web_layer name)
  cmake_parse_arguments(LAYER "" "" "GLOBS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${LAYER_GLOBS})
  foreach(x ${LAYER_EXCLUDE})
    list(REMOVE_ITEM sources ${S}/${x})
  endforeach()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${S})
endfunction()

cog_web_layer(cogbase GLOBS ${S}/base/*.cpp)
# platform/: files, images and PNG writing as natively; the SDL window,
# controllers, key bindings, GL attributes and offscreen surface stay native.
cog_web_layer(cogplatform GLOBS ${S}/platform/*.cpp ${S}/platform/web/*.cpp
  EXCLUDE platform/window.cpp platform/controller.cpp platform/offscreen_gl.cpp platform/gl_attributes.cpp
  platform/key_bindings.cpp)
target_include_directories(cogplatform SYSTEM PRIVATE /usr/include/stb ${S}/platform/web/sdl_numbers)
target_link_libraries(cogplatform PUBLIC cogbase PRIVATE cogweb_png cogweb_jpeg)
cog_web_layer(cogseams GLOBS ${S}/seams/*.cpp)
target_link_libraries(cogseams PUBLIC cogbase)
cog_web_layer(cogmedia GLOBS ${S}/media/*.cpp)
target_link_libraries(cogmedia PUBLIC cogseams PRIVATE cogplatform cogweb_sndfile)
cog_web_layer(coglevel GLOBS ${S}/level/*.cpp)
target_link_libraries(coglevel PUBLIC cogseams)
cog_web_layer(cogsound GLOBS ${S}/audio/*.cpp)
target_link_libraries(cogsound PUBLIC coglevel)
cog_web_layer(cogsim GLOBS ${S}/sim/*.cpp)
target_link_libraries(cogsim PUBLIC cogsound coglevel)
cog_web_layer(cogrender GLOBS ${S}/render/*.cpp)
target_link_libraries(cogrender PUBLIC coglevel)
cog_web_layer(cogrender_rec GLOBS ${S}/render/rec/*.cpp)
target_link_libraries(cogrender_rec PUBLIC cogseams PRIVATE cogplatform)
cog_web_layer(cogrender_gpu GLOBS ${S}/render/gpu/*.cpp)
target_link_libraries(cogrender_gpu PUBLIC cogseams cogplatform)
cog_web_layer(cogrender_shader GLOBS ${S}/render/shader/*.cpp)
target_link_libraries(cogrender_shader PUBLIC cogseams cogrender_gpu PRIVATE cogplatform)
cog_web_layer(cogaudio_rec GLOBS ${S}/audio/rec/*.cpp)
target_link_libraries(cogaudio_rec PUBLIC cogseams cogmedia PRIVATE cogplatform)
# audio/web/: the browser's sound engine.
cog_web_layer(cogaudio_web GLOBS ${S}/audio/web/*.cpp)
target_link_libraries(cogaudio_web PUBLIC cogseams cogmedia PRIVATE cogplatform)
cog_web_layer(coggame GLOBS ${S}/game/*.cpp)
target_link_libraries(coggame PUBLIC cogsim cogrender)
# app/: the run modes the browser has, and the web runs.
cog_web_layer(cogapp GLOBS ${S}/app/web/*.cpp ${S}/app/trace.cpp ${S}/app/key_script.cpp ${S}/app/feedback_sounds.cpp
  ${S}/app/timedemo.cpp)
target_link_libraries(cogapp PUBLIC coggame cogrender_rec cogrender_shader cogaudio_rec cogaudio_web cogplatform)

set(COG_WEB_LINK -sALLOW_MEMORY_GROWTH=1 -sDISABLE_EXCEPTION_CATCHING=1 -sMINIFY_HTML=0)

# The simulation under Node, on the machine's own files.
add_executable(cogstorm-trace app/web/main/trace_main.cpp)
target_link_libraries(cogstorm-trace PRIVATE cogapp)
target_link_options(cogstorm-trace PRIVATE ${COG_WEB_LINK} -sNODERAWFS=1 -sENVIRONMENT=node
  -sWASM_ASYNC_COMPILATION=0 -sEXIT_RUNTIME=1)

if(EXISTS ${S}/app/web/main/page_main.cpp)
  include(${S}/cmake/web_page.cmake)
endif()
