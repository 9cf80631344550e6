# The Windows programs, quorvane-gui.exe and quorvane.exe, as a zip and as an
# NSIS installer with a Start-menu entry, the licence and an uninstaller
# (which leaves the settings in %APPDATA%\Quorvane, as most programs do):
#   cpack --config build/windows-gui/CPackConfig.cmake -B build/windows-gui/packages
# Debian's nsis package builds the installer on Linux. The library's files
# (component dev) stay out: the packages hold the programs only.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)

set(CPACK_GENERATOR "ZIP;NSIS")
set(CPACK_PACKAGE_NAME Quorvane)
set(CPACK_PACKAGE_VENDOR Quorvane)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Quorvane cuts Standard MIDI Files short")
set(CPACK_PACKAGE_FILE_NAME quorvane-${PROJECT_VERSION}-windows-x64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Quorvane)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Quorvane)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};Quorvane;Unspecified;/")
# The Start-menu entry, for the window.
set(CPACK_PACKAGE_EXECUTABLES quorvane-gui Quorvane)
set(CPACK_NSIS_PACKAGE_NAME Quorvane)
set(CPACK_NSIS_DISPLAY_NAME Quorvane)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\\\quorvane-gui.exe")
set(CPACK_NSIS_MUI_FINISHPAGE_RUN quorvane-gui.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
include(CPack)
