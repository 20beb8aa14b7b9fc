# CPack: `cpack` in a build tree makes one quodra .deb and one .rpm holding
# every file the project's install rules install (library and SONAME links,
# headers, CMake package, pkg-config files, quodra-div, the SystemVerilog kit
# and whatever else a part of the project installs), under /usr. There are
# no components: the farm installs one package. The library folder is the
# build tree's CMAKE_INSTALL_LIBDIR, fixed when the tree is configured:
# configure with -DCMAKE_INSTALL_PREFIX=/usr and GNUInstallDirs gives the
# Debian multiarch folder (lib/x86_64-linux-gnu) on Debian, lib64 on RPM
# distributions; -DCMAKE_INSTALL_LIBDIR=lib64 gives the RPM folder on a
# Debian builder (docs/packages.md).
set(QUODRA_PACKAGE_MAINTAINER "The quodra developers <quodra@localhost>"
    CACHE STRING "Maintainer (name <address>) written into the .deb and .rpm")

set(CPACK_PACKAGE_NAME quodra)
set(CPACK_PACKAGE_VENDOR "The quodra developers")
set(CPACK_PACKAGE_CONTACT "${QUODRA_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
  "quodra models a hardware divider core bit for bit: a shared library with
a plain C interface and a header-only C++ layer, its CMake and pkg-config
files, the quodra-div tool that makes and checks golden vectors, and the
SystemVerilog DPI-C kit.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR DEB RPM)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Not the source package generators' defaults: only what is installed.
set(CPACK_SOURCE_GENERATOR "")
# Read by cmake/QuodraCPackOptions.cmake, once per generator.
set(CPACK_QUODRA_LIBDIR ${CMAKE_INSTALL_LIBDIR})
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/QuodraCPackOptions.cmake)

# Debian: quodra_5.1.0_amd64.deb, the architecture from dpkg, the run-time
# dependencies (libgmp10, libstdc++6, libc6, ...) from dpkg-shlibdeps, and a
# shlibs file for libquodra.so.5 so that packages built against it depend
# on quodra.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUODRA_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# Compiling against quodra.h needs gmp.h (and gmpxx.h for quodra.hpp); a farm
# node that only runs quodra-div or a simulator does not. (The .rpm names no
# gmp-devel: CPack 3.25 drops weak dependencies with rpm 4.18's rpmbuild.)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS libgmp-dev)

# RPM: quodra-5.1.0-1.x86_64.rpm; rpmbuild's automatic requires (the ELF
# files' libgmp.so.10, libstdc++.so.6, ...) and provides (libquodra.so.5).
set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
set(CPACK_RPM_PACKAGE_LICENSE MIT)
set(CPACK_RPM_PACKAGE_GROUP "Development/Libraries")
set(CPACK_RPM_PACKAGE_AUTOREQPROV yes)
set(CPACK_RPM_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
# No /usr/lib/.build-id links: a debug-info package would own them.
set(CPACK_RPM_SPEC_MORE_DEFINE "%define _build_id_links none")
# Folders other packages own (pkgconf owns pkgconfig/, cmake owns cmake/).
list(APPEND CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION
  /usr/${CMAKE_INSTALL_LIBDIR} /usr/${CMAKE_INSTALL_LIBDIR}/cmake
  /usr/${CMAKE_INSTALL_LIBDIR}/pkgconfig /usr/share/pkgconfig)

include(CPack)
