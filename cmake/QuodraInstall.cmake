# Install rules: the shared library with its SOVERSION links, the public
# headers, the CMake package (quodraConfig.cmake, quodraConfigVersion.cmake,
# quodraTargets.cmake with quodra::quodra and quodra::cxx, and
# quodra::systemc from systemc/, and the GNU MP find module it uses),
# quodra.pc (C), quodra-cxx.pc (C++ layer) and quodra-systemc.pc (SystemC
# kit on libquodra_systemc), and the quodra-div tool, and the license;
# QuodraPackage.cmake packages them all.
# The static archive of the unit tests stays internal.
include(CMakePackageConfigHelpers)

set(QUODRA_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/quodra)

install(TARGETS quodra quodra_cxx EXPORT quodraTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

install(EXPORT quodraTargets
  NAMESPACE quodra::
  DESTINATION ${QUODRA_CMAKE_DIR})

configure_package_config_file(
  ${PROJECT_SOURCE_DIR}/cmake/quodraConfig.cmake.in
  ${PROJECT_BINARY_DIR}/quodraConfig.cmake
  INSTALL_DESTINATION ${QUODRA_CMAKE_DIR})
# 5.x releases keep the C interface of 5.1; a request for 5.1 accepts 5.y >= 5.1.
write_basic_package_version_file(
  ${PROJECT_BINARY_DIR}/quodraConfigVersion.cmake
  VERSION ${PROJECT_VERSION}
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${PROJECT_BINARY_DIR}/quodraConfig.cmake
  ${PROJECT_BINARY_DIR}/quodraConfigVersion.cmake
  ${PROJECT_SOURCE_DIR}/cmake/FindGMP.cmake
  DESTINATION ${QUODRA_CMAKE_DIR})

# A relocatable quodra.pc: the prefix is found from the file's own place
# (pkg-config's ${pcfiledir}), so `cmake --install --prefix DIR` into any
# folder gives a working file.
set(QUODRA_PC_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(QUODRA_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
else()
  file(RELATIVE_PATH QUODRA_PC_UP "/${QUODRA_PC_DIR}" "/")
  string(REGEX REPLACE "/$" "" QUODRA_PC_UP "${QUODRA_PC_UP}")
  set(QUODRA_PC_PREFIX "\${pcfiledir}/${QUODRA_PC_UP}")
endif()
foreach(kind LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${kind}}")
    set(QUODRA_PC_${kind} "${CMAKE_INSTALL_${kind}}")
  else()
    set(QUODRA_PC_${kind} "\${prefix}/${CMAKE_INSTALL_${kind}}")
  endif()
endforeach()
foreach(pc quodra quodra-cxx quodra-systemc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/${pc}.pc.in ${PROJECT_BINARY_DIR}/${pc}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/${pc}.pc DESTINATION ${QUODRA_PC_DIR})
endforeach()

if(TARGET quodra-div)
  install(TARGETS quodra-div RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# The license travels with every install, and so with the packages.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The .deb and .rpm (cpack), for quodra's own build only: a project that
# pulls quodra in packages itself.
if(QUODRA_IS_TOP_LEVEL)
  include(QuodraPackage)
endif()
