# Installing and packaging. `cmake --install` puts the game in libexec/blomp with
# a launcher in games/, the data in share/games/blomp, and the desktop entry,
# AppStream file, icons, manual page and licence files in their usual places.
# `cpack` makes a Debian package of the same tree. Included at the end of
# CMakeLists.txt.

# The icons, drawn by our own tool from the logo's art; like the data, made by a
# program of the build machine.
add_executable(blompicons ${CMAKE_SOURCE_DIR}/tools/blompicons.cpp)
target_link_libraries(blompicons PRIVATE databuildlib)
if(CMAKE_CROSSCOMPILING)
  set(BLOMP_ICONBUILD ${BLOMP_HOST_TOOLS_DIR}/blompicons)
else()
  set(BLOMP_ICONBUILD blompicons)
endif()
set(BLOMP_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
add_custom_command(
  OUTPUT ${BLOMP_ICON_DIR}/hicolor/256x256/apps/blomp.png
  COMMAND ${BLOMP_ICONBUILD} ${BLOMP_ICON_DIR}
  DEPENDS ${BLOMP_ICONBUILD}
  COMMENT "Drawing the icons into ${BLOMP_ICON_DIR}"
  VERBATIM)

# The manual page and the changelogs, compressed as Debian wants them (no time stamp).
set(BLOMP_PACKED ${CMAKE_BINARY_DIR}/packed)
set(BLOMP_PACKED_FILES)
foreach(pair "packaging/blomp.6:blomp.6.gz" "CHANGELOG.md:changelog.gz" "packaging/changelog.Debian:changelog.Debian.gz")
  string(REPLACE ":" ";" pair "${pair}")
  list(GET pair 0 source)
  list(GET pair 1 packed)
  add_custom_command(
    OUTPUT ${BLOMP_PACKED}/${packed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${BLOMP_PACKED}
    COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/${source} > ${BLOMP_PACKED}/${packed}
    DEPENDS ${CMAKE_SOURCE_DIR}/${source})
  list(APPEND BLOMP_PACKED_FILES ${BLOMP_PACKED}/${packed})
endforeach()
add_custom_target(installfiles ALL DEPENDS ${BLOMP_ICON_DIR}/hicolor/256x256/apps/blomp.png ${BLOMP_PACKED_FILES})
if(TARGET hosttools)
  add_dependencies(installfiles hosttools)
endif()

include(GNUInstallDirs)
set(BLOMP_SHARE games/blomp) # below share/
install(TARGETS blomp RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/blomp)
install(PROGRAMS packaging/blomp.sh DESTINATION games RENAME blomp)
install(PROGRAMS packaging/blomp-port.sh DESTINATION share/${BLOMP_SHARE}/ports RENAME Blomp.sh)
install(DIRECTORY ${BLOMP_RUN_DIR}/data ${BLOMP_RUN_DIR}/mapsen
  DESTINATION ${CMAKE_INSTALL_DATADIR}/${BLOMP_SHARE}
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(FILES packaging/org.blomp.Blomp.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/org.blomp.Blomp.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${BLOMP_ICON_DIR}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${BLOMP_PACKED}/blomp.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES packaging/copyright ${BLOMP_PACKED}/changelog.gz ${BLOMP_PACKED}/changelog.Debian.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/blomp)

# The Debian package: one per architecture, named as Debian names them.
set(BLOMP_DEB_ARCHES "x86_64-linux-gnu:amd64" "aarch64-linux-gnu:arm64" "arm-linux-gnueabihf:armhf" "i386-linux-gnu:i386")
set(BLOMP_DEB_ARCH "")
foreach(pair ${BLOMP_DEB_ARCHES})
  string(REPLACE ":" ";" pair "${pair}")
  list(GET pair 0 triplet)
  if(triplet STREQUAL CMAKE_LIBRARY_ARCHITECTURE)
    list(GET pair 1 BLOMP_DEB_ARCH)
  endif()
endforeach()
if(NOT BLOMP_DEB_ARCH)
  execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE BLOMP_DEB_ARCH OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME blomp)
set(CPACK_PACKAGE_VENDOR "The Blomp developers")
set(CPACK_PACKAGE_CONTACT "The Blomp developers <blomp@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "side-scrolling platform game with a small round hero")
# The long description only: CPack puts the summary on the first line and indents the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"You steer Blomp, a small round creature, through sixteen side-scrolling
levels: collect every item of a level to open its exit door, while monsters,
spikes, crumbling floors, trap doors, a time limit and, under water, your air
supply try to stop you. The game speaks English, German, French and Spanish,
has three graphic sets, and runs well on a Raspberry Pi.")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${BLOMP_DEB_ARCH})
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps finds the libraries the game is linked with, but not what Mesa
# loads at run time: without its DRI drivers no GPU display can start, and on a
# console without a desktop (Raspberry Pi OS Lite) there is then no picture at all.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1-mesa-dri")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_FILE_NAME "blomp_${PROJECT_VERSION}-1_${BLOMP_DEB_ARCH}")
include(CPack)
