# The Debian package: `cpack -G DEB` in a build configured for /usr, which
# scripts/make-deb.sh does from a clean build folder. The run-time libraries
# in Depends are found by dpkg-shlibdeps, so they are the building system's:
# a package installs on the Debian release it was built on, which its version
# names after the project's (0.1.0~deb12 from Debian 12, ~deb13 from 13).

# The building system's release, from its os-release file; none on a system
# without a release number (Debian testing, or not Debian).
set(ORV_DEB_VERSION ${PROJECT_VERSION})
set(ORV_DEB_DISTRIBUTION unstable)
if(EXISTS /etc/os-release)
  file(STRINGS /etc/os-release ORV_OS_ID REGEX "^ID=")
  file(STRINGS /etc/os-release ORV_OS_VERSION_ID REGEX "^VERSION_ID=")
  file(STRINGS /etc/os-release ORV_OS_CODENAME REGEX "^VERSION_CODENAME=")
  string(REGEX REPLACE "^ID=\"?([^\"]*)\"?$" "\\1" ORV_OS_ID "${ORV_OS_ID}")
  string(REGEX REPLACE "^VERSION_ID=\"?([0-9]+).*$" "\\1" ORV_OS_VERSION_ID "${ORV_OS_VERSION_ID}")
  string(REGEX REPLACE "^VERSION_CODENAME=\"?([^\"]*)\"?$" "\\1" ORV_OS_CODENAME "${ORV_OS_CODENAME}")
  if(ORV_OS_ID STREQUAL "debian" AND ORV_OS_VERSION_ID MATCHES "^[0-9]+$")
    set(ORV_DEB_VERSION ${PROJECT_VERSION}~deb${ORV_OS_VERSION_ID})
    if(ORV_OS_CODENAME)
      set(ORV_DEB_DISTRIBUTION ${ORV_OS_CODENAME})
    endif()
  endif()
endif()

# The font the Japanese texts of the windows need, recommended rather than
# required: the program runs without it and shows boxes for those texts.
set(ORV_DEB_JAPANESE_FONT fonts-sawarabi-gothic)
# Maintainer of the package, and the contact in its change log and copyright file.
set(ORV_DEB_MAINTAINER "Orvelline maintainers <maintainers@users.noreply.c-seed-4b951405.example>")

# The Debian-only files: the package's change log, the copyright file every
# package carries and lintian's overrides. A plain `cmake --install` leaves
# them out.
option(ORV_DEB_DOCS "Install the Debian package's copyright file, change log and lintian overrides" OFF)
if(ORV_DEB_DOCS)
  set(ORV_DEB_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/orvelline)
  # The date of the change log entry is the build's, or SOURCE_DATE_EPOCH's
  # when set, so that a rebuild of the same sources is the same package.
  string(TIMESTAMP ORV_DEB_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
  # -n keeps the time stamp out of the compressed file.
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
    COMMAND gzip -9 -n -c ${CMAKE_BINARY_DIR}/packaging/changelog > ${CMAKE_BINARY_DIR}/packaging/changelog.gz
    DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog
    VERBATIM)
  add_custom_target(orv_deb_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${ORV_DEB_DOC_DIR})
  configure_file(${CMAKE_SOURCE_DIR}/packaging/copyright.in ${CMAKE_BINARY_DIR}/packaging/copyright @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/copyright DESTINATION ${ORV_DEB_DOC_DIR})
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME orvelline)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvelline)
set(CPACK_PACKAGE_VERSION ${ORV_DEB_VERSION})
set(CPACK_PACKAGE_CONTACT ${ORV_DEB_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "play a General MIDI tone module like a theremin")
set(CPACK_PACKAGE_DESCRIPTION [=[
Orvelline turns the mouse pointer into a theremin. A square playing surface
carries a semitone grid: one axis is pitch, a fine pitch bend around a centre
note, the other is loudness, and leaving the surface ends the note. It plays
through its built-in synthesizer (FluidSynth with the General MIDI SoundFont)
or any ALSA sequencer output, records and replays performances as Standard
MIDI Files, and plays Standard MIDI Files to play along with.

The orvelline-midi command looks into Standard MIDI Files, plays them and
renders them to WAV or FLAC files.]=])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What dpkg-shlibdeps cannot see: the SoundFont the built-in synth plays, and
# Qt's platform plugins, loaded at run time, without which no window opens.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fluid-soundfont-gm, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS ${ORV_DEB_JAPANESE_FONT})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/debian-stage.cmake)
# The folders the package makes are 0755 whatever the packager's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
