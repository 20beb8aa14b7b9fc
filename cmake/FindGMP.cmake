# Finds GNU MP and its C++ layer.
#
# Imported targets:
#   GMP::gmp    the C library (gmp.h, libgmp)
#   GMP::gmpxx  the C++ classes (gmpxx.h, libgmpxx); links GMP::gmp
# Result variables: GMP_FOUND, GMP_gmpxx_FOUND, GMP_VERSION.
#
# Installed with quodra's CMake package, so a consumer that calls
# find_package(quodra) gets GNU MP found for it, with no paths to name.
find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
  pkg_check_modules(PC_GMP QUIET gmp)
  pkg_check_modules(PC_GMPXX QUIET gmpxx)
endif()

find_path(GMP_INCLUDE_DIR gmp.h HINTS ${PC_GMP_INCLUDEDIR} ${PC_GMP_INCLUDE_DIRS})
find_library(GMP_LIBRARY NAMES gmp HINTS ${PC_GMP_LIBDIR} ${PC_GMP_LIBRARY_DIRS})
find_path(GMP_gmpxx_INCLUDE_DIR gmpxx.h HINTS ${PC_GMPXX_INCLUDEDIR} ${PC_GMPXX_INCLUDE_DIRS})
find_library(GMP_gmpxx_LIBRARY NAMES gmpxx HINTS ${PC_GMPXX_LIBDIR} ${PC_GMPXX_LIBRARY_DIRS})
set(GMP_VERSION ${PC_GMP_VERSION})

if(GMP_gmpxx_INCLUDE_DIR AND GMP_gmpxx_LIBRARY)
  set(GMP_gmpxx_FOUND TRUE)
endif()

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(GMP
  REQUIRED_VARS GMP_LIBRARY GMP_INCLUDE_DIR
  VERSION_VAR GMP_VERSION
  HANDLE_COMPONENTS)

if(GMP_FOUND AND NOT TARGET GMP::gmp)
  add_library(GMP::gmp UNKNOWN IMPORTED)
  set_target_properties(GMP::gmp PROPERTIES
    IMPORTED_LOCATION "${GMP_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${GMP_INCLUDE_DIR}")
endif()
if(GMP_FOUND AND GMP_gmpxx_FOUND AND NOT TARGET GMP::gmpxx)
  add_library(GMP::gmpxx UNKNOWN IMPORTED)
  set_target_properties(GMP::gmpxx PROPERTIES
    IMPORTED_LOCATION "${GMP_gmpxx_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${GMP_gmpxx_INCLUDE_DIR}"
    INTERFACE_LINK_LIBRARIES GMP::gmp)
endif()
mark_as_advanced(GMP_INCLUDE_DIR GMP_LIBRARY GMP_gmpxx_INCLUDE_DIR GMP_gmpxx_LIBRARY)
