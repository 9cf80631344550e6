# `cpack -G DEB` in a build folder makes quorvane_VERSION_ARCH.deb from the
# install rules: both programs, the desktop entry, the icons, the man pages
# (compressed, as Debian keeps them) and the copyright file. The package's
# dependencies are the shared libraries the programs link, as dpkg-shlibdeps
# finds them.
include(GNUInstallDirs)

find_program(QUORVANE_GZIP gzip)
foreach(page quorvane quorvane-gui)
  set(packed ${CMAKE_BINARY_DIR}/packaging/${page}.1.gz)
  add_custom_command(OUTPUT ${packed}
                     COMMAND ${QUORVANE_GZIP} -9n -c ${PROJECT_SOURCE_DIR}/docs/${page}.1 > ${packed}
                     DEPENDS ${PROJECT_SOURCE_DIR}/docs/${page}.1 VERBATIM)
  list(APPEND QUORVANE_PACKED_PAGES ${packed})
endforeach()
add_custom_target(quorvane_man_pages ALL DEPENDS ${QUORVANE_PACKED_PAGES})
install(FILES ${QUORVANE_PACKED_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quorvane)
set(QUORVANE_CHANGELOG ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${QUORVANE_CHANGELOG}
                   COMMAND ${QUORVANE_GZIP} -9n -c ${CMAKE_CURRENT_LIST_DIR}/changelog > ${QUORVANE_CHANGELOG}
                   DEPENDS ${CMAKE_CURRENT_LIST_DIR}/changelog VERBATIM)
add_custom_target(quorvane_changelog ALL DEPENDS ${QUORVANE_CHANGELOG})
install(FILES ${QUORVANE_CHANGELOG} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quorvane)

set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VENDOR "Quorvane developers")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)  # the licence, as the root LICENSE file states it
set(CPACK_PACKAGE_CONTACT "Quorvane developers <quorvane@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "cut Standard MIDI Files short")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Quorvane lists the MIDI songs of a folder and cuts one at a chosen\n"
       "position, or every song to a clip length in seconds, with a log.\n"
       "Format 1 songs are cut at the next bar line and closed with All Sound\n"
       "Off; Format 0 songs are cut at the exact time with a fade over the last\n"
       "tenth. A window (quorvane-gui) and a command line (quorvane) drive the\n"
       "same engine.")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window needs a platform plugin, which no library it links names.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://example.org/quorvane")
# The programs alone: the library's files (component dev) stay out.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};Unspecified;/")
include(CPack)
