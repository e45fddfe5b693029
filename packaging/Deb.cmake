# The .deb: `cpack -G DEB` in the build folder.
# The copyright and changelog files Debian asks of every package go only into
# the .deb (component "debian"), not into a plain `cmake --install`.
set(DASHCAM_CONTACT "The dashcam-viewer developers <dashcam-viewer@example.org>")
configure_file(debian/copyright.in debian/copyright @ONLY)
configure_file(debian/changelog.in debian/changelog @ONLY)
set(deb_changelog ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog.gz)
add_custom_command(OUTPUT ${deb_changelog}
  COMMAND ${GZIP} -9nf -k debian/changelog
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog VERBATIM)
add_custom_target(deb_changelog ALL DEPENDS ${deb_changelog})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/debian/copyright ${deb_changelog}
  DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT debian EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dashcam-viewer)
set(CPACK_PACKAGE_VENDOR "The dashcam-viewer developers")
set(CPACK_PACKAGE_CONTACT "${DASHCAM_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "dashcam recording player with telemetry, chart and map")
set(CPACK_PACKAGE_DESCRIPTION [=[
Plays the MP4 recordings of a car dashcam in step with the telemetry the
camera wrote inside each file: the G-sensor axes, position, heading, speed
and the recorded date and time. A chart shows the G-sensor axes of the whole
recording and a map shows the trip with a vehicle marker that moves with the
video.

Also contains dashcam-telemetry, which prints the telemetry of recordings as
JSON or exports their tracks as GPX, GeoJSON or CSV.]=])
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its window-system plugin at run time, out of dpkg-shlibdeps' sight.
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS ffmpeg)  # clip export runs it
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# One package holding the program's files and the Debian-only ones.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Unspecified debian)
# `make package_source`: the sources alone.
set(CPACK_SOURCE_GENERATOR TXZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/\\\\.git$" "/build[^/]*/" "/samples/" "/fuzz/corpus/" "/fuzz/artifacts/")
include(CPack)
