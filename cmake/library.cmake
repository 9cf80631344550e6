# libquorvane: the engine, the platform layer and the cut service in one
# static library, with its headers, a CMake package (find_package(Quorvane)
# gives Quorvane::quorvane) and a pkg-config file, all in the install
# component "dev". The programs keep linking the module libraries; this
# archive only gathers their objects, so nothing is compiled twice.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(_modules platform engine core)
add_library(quorvane_library STATIC)
foreach(module IN LISTS _modules)
  target_sources(quorvane_library PRIVATE $<TARGET_OBJECTS:quorvane_${module}>)
  target_include_directories(quorvane_library PUBLIC $<BUILD_INTERFACE:${CMAKE_BINARY_DIR}/module-roots/${module}>)
endforeach()
# The program is called quorvane already; the archive is libquorvane.a.
set_target_properties(quorvane_library PROPERTIES OUTPUT_NAME quorvane EXPORT_NAME quorvane LINKER_LANGUAGE CXX)
# Headers are included as <quorvane/core/cut_service.hpp>; among themselves
# they include "engine/timeline.hpp" and the like, hence the second root.
set(_headers ${CMAKE_INSTALL_INCLUDEDIR}/quorvane)
target_include_directories(quorvane_library PUBLIC
  $<BUILD_INTERFACE:${CMAKE_BINARY_DIR}/generated>
  $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>
  $<INSTALL_INTERFACE:${_headers}>)
target_compile_features(quorvane_library PUBLIC cxx_std_20)
find_package(Threads REQUIRED)
target_link_libraries(quorvane_library PUBLIC Threads::Threads)

set(_package ${CMAKE_INSTALL_LIBDIR}/cmake/Quorvane)
install(TARGETS quorvane_library EXPORT QuorvaneTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
foreach(module IN LISTS _modules)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/${module}/ DESTINATION ${_headers}/${module}
          COMPONENT dev FILES_MATCHING PATTERN "*.hpp")
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/generated/version/version.hpp DESTINATION ${_headers}/version COMPONENT dev)
install(EXPORT QuorvaneTargets NAMESPACE Quorvane:: DESTINATION ${_package} COMPONENT dev)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/packaging/QuorvaneConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/QuorvaneConfig.cmake ${CMAKE_BINARY_DIR}/packaging/QuorvaneConfigVersion.cmake
        DESTINATION ${_package} COMPONENT dev)

# The .pc file finds its prefix from where it is, so that the tree can be
# installed under any --prefix.
file(RELATIVE_PATH QUORVANE_PC_PREFIX /root/${CMAKE_INSTALL_LIBDIR}/pkgconfig /root)
string(REGEX REPLACE "/$" "" QUORVANE_PC_PREFIX ${QUORVANE_PC_PREFIX})
configure_file(${CMAKE_CURRENT_LIST_DIR}/quorvane.pc.in ${CMAKE_BINARY_DIR}/packaging/quorvane.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/quorvane.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)
