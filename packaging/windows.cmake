# `cpack` in a Windows build folder makes Quorvane-VERSION-win64.zip and an
# NSIS installer, Quorvane-VERSION-win64.exe, of the programs, the licence and
# the README. The installer adds a Start-menu entry for the window and an
# uninstaller; the uninstaller leaves the settings (%APPDATA%\Quorvane), as
# most programs do. Debian's nsis package builds the installer on Linux. It is
# not signed.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION . RENAME README.txt)

set(CPACK_PACKAGE_NAME Quorvane)
set(CPACK_PACKAGE_VENDOR "Quorvane developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Quorvane: cut Standard MIDI Files short")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Quorvane)
set(CPACK_SYSTEM_NAME win64)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR "ZIP;NSIS")
# The programs alone: the library's files (component dev) stay out.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};Unspecified;/")

# A 64-bit installer for 64-bit programs (64-bit Wine runs it too).
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_DISPLAY_NAME Quorvane)
set(CPACK_NSIS_PACKAGE_NAME Quorvane)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_URL_INFO_ABOUT "https://example.org/quorvane")
if(TARGET quorvane-gui)
  # The Start menu's entry: the window, under the program's name.
  set(CPACK_PACKAGE_EXECUTABLES "quorvane-gui;Quorvane")
  set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\\\quorvane-gui.exe")
endif()
include(CPack)
