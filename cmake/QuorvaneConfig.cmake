# find_package(Quorvane) gives Quorvane::quorvane, the static library with
# its headers (<quorvane/core/cut_service.hpp>) and what it links.
include(CMakeFindDependencyMacro)
find_dependency(Threads)
include(${CMAKE_CURRENT_LIST_DIR}/QuorvaneTargets.cmake)
