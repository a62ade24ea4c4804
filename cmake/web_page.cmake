# The page: build-web/site/ holds index.html, cogstorm.js, cogstorm.wasm,
# cogstorm.data (the compiled level), and for the music js-synthesizer
# (FluidSynth on WebAssembly, from npm) with the TimGM6mb SoundFont. Any
# static web host serves the folder as it is.
if(NOT COG_WEB_LEVEL OR NOT EXISTS ${COG_WEB_LEVEL}/dat.txt)
  message(FATAL_ERROR "COG_WEB_LEVEL must name a compiled level folder (a native build's level/)")
endif()
set(COG_SITE ${CMAKE_BINARY_DIR}/site)

add_executable(cogstorm-page app/web/main/page_main.cpp)
target_link_libraries(cogstorm-page PRIVATE cogapp)
set_target_properties(cogstorm-page PROPERTIES OUTPUT_NAME cogstorm RUNTIME_OUTPUT_DIRECTORY ${COG_SITE})
file(GLOB_RECURSE COG_LEVEL_FILES CONFIGURE_DEPENDS ${COG_WEB_LEVEL}/*)
set_property(TARGET cogstorm-page APPEND PROPERTY LINK_DEPENDS ${COG_LEVEL_FILES})
target_link_options(cogstorm-page PRIVATE ${COG_WEB_LINK} -lopenal -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2
  -sENVIRONMENT=web -sEXPORTED_RUNTIME_METHODS=FS --preload-file ${COG_WEB_LEVEL}@/level)

# The page itself and the music's parts beside the program.
set(COG_SITE_FILES ${COG_SITE}/index.html ${COG_SITE}/music.js)
add_custom_command(OUTPUT ${COG_SITE_FILES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${COG_SITE}
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/app/web/site/index.html ${CMAKE_SOURCE_DIR}/app/web/site/music.js ${COG_SITE}/
  DEPENDS ${CMAKE_SOURCE_DIR}/app/web/site/index.html ${CMAKE_SOURCE_DIR}/app/web/site/music.js)
set(COG_SYNTH_FILES "")
if(COG_WEB_SYNTH AND EXISTS ${COG_WEB_SYNTH}/dist/js-synthesizer.min.js AND EXISTS ${COG_WEB_SOUNDFONT})
  set(COG_SYNTH_FILES ${COG_SITE}/js-synthesizer.min.js ${COG_SITE}/js-synthesizer.worklet.min.js
    ${COG_SITE}/libfluidsynth.js ${COG_SITE}/TimGM6mb.sf2)
  add_custom_command(OUTPUT ${COG_SYNTH_FILES}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${COG_SITE}
    COMMAND ${CMAKE_COMMAND} -E copy ${COG_WEB_SYNTH}/dist/js-synthesizer.min.js ${COG_SITE}/js-synthesizer.min.js
    COMMAND ${CMAKE_COMMAND} -E copy ${COG_WEB_SYNTH}/dist/js-synthesizer.worklet.min.js ${COG_SITE}/
    COMMAND ${CMAKE_COMMAND} -E copy ${COG_WEB_SYNTH}/externals/libfluidsynth-2.3.0.js ${COG_SITE}/libfluidsynth.js
    COMMAND ${CMAKE_COMMAND} -E copy ${COG_WEB_SOUNDFONT} ${COG_SITE}/TimGM6mb.sf2
    DEPENDS ${COG_WEB_SYNTH}/dist/js-synthesizer.min.js ${COG_WEB_SOUNDFONT})
else()
  message(WARNING "No js-synthesizer (COG_WEB_SYNTH) or SoundFont: the page plays no music")
endif()
add_custom_target(site ALL DEPENDS ${COG_SITE_FILES} ${COG_SYNTH_FILES})
add_dependencies(cogstorm-page site)
