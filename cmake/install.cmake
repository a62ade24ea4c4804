# Installing the game: `cmake --install build --prefix DIR` puts the program in
# bin/, the shipped level in share/cogstorm/, the launcher, icons, AppStream
# metainfo and man page where desktops and `man` look for them. Every rule is
# in the component "cogstorm"; the install lists what it wrote in
# build/install_manifest.txt, which is what an uninstall removes.

set(COGSTORM_APP_ID org.cogstorm.Cogstorm)
set(COGSTORM_DESKTOP_SOURCE ${CMAKE_SOURCE_DIR}/data/desktop)
set(COGSTORM_DESKTOP_BUILD ${CMAKE_BINARY_DIR}/desktop)

# The program finds its level relative to where it sits, so the install
# prefix can be anything and the tree can be moved: beside the program in
# the build folder, under share/ once installed.
file(RELATIVE_PATH COGSTORM_LEVEL_FROM_BUILD_PROGRAM ${CMAKE_BINARY_DIR} ${COGSTORM_SHIPPED_LEVEL_BUILD})
file(RELATIVE_PATH COGSTORM_LEVEL_FROM_INSTALLED_PROGRAM
  ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/cogstorm/level)
target_compile_definitions(cogapp PRIVATE
  COGSTORM_LEVEL_FROM_BUILD_PROGRAM="${COGSTORM_LEVEL_FROM_BUILD_PROGRAM}"
  COGSTORM_LEVEL_FROM_INSTALLED_PROGRAM="${COGSTORM_LEVEL_FROM_INSTALLED_PROGRAM}")

install(TARGETS cogstorm RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT cogstorm)
# Whatever level the build made for the program to play.
install(DIRECTORY ${COGSTORM_SHIPPED_LEVEL_BUILD}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/cogstorm/level
  COMPONENT cogstorm)

# The icon: drawn as SVG, rendered to PNG at the sizes desktops ask for.
find_program(COGSTORM_RSVG_CONVERT rsvg-convert REQUIRED)
set(COGSTORM_ICON_SVG ${COGSTORM_DESKTOP_SOURCE}/${COGSTORM_APP_ID}.svg)
set(COGSTORM_ICON_PNGS "")
foreach(size 48 128 256)
  set(png ${COGSTORM_DESKTOP_BUILD}/icons/${size}/${COGSTORM_APP_ID}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${COGSTORM_DESKTOP_BUILD}/icons/${size}
    COMMAND ${COGSTORM_RSVG_CONVERT} --width ${size} --height ${size} --output ${png} ${COGSTORM_ICON_SVG}
    DEPENDS ${COGSTORM_ICON_SVG}
    COMMENT "Rendering the ${size}x${size} icon")
  list(APPEND COGSTORM_ICON_PNGS ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps COMPONENT cogstorm)
endforeach()
add_custom_target(desktop_icons ALL DEPENDS ${COGSTORM_ICON_PNGS})
# What the install copies is built with the program.
add_dependencies(cogstorm desktop_icons)
install(FILES ${COGSTORM_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
  COMPONENT cogstorm)

# The launcher, the metainfo and the man page; the last two carry the version.
configure_file(${COGSTORM_DESKTOP_SOURCE}/${COGSTORM_APP_ID}.metainfo.xml.in
  ${COGSTORM_DESKTOP_BUILD}/${COGSTORM_APP_ID}.metainfo.xml @ONLY)
configure_file(${COGSTORM_DESKTOP_SOURCE}/cogstorm.6 ${COGSTORM_DESKTOP_BUILD}/cogstorm.6 @ONLY)
install(FILES ${COGSTORM_DESKTOP_SOURCE}/${COGSTORM_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT cogstorm)
install(FILES ${COGSTORM_DESKTOP_BUILD}/${COGSTORM_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT cogstorm)
install(FILES ${COGSTORM_DESKTOP_BUILD}/cogstorm.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT cogstorm)
