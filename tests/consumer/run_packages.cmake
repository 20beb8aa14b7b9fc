# Builds the .deb and the .rpm from the build tree BUILD_DIR with cpack, and
# checks them as a farm would use them:
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DWORK_DIR=... -DLIBDIR=... -DVERSION=...
#         -DCPACK=... -DDPKG_DEB=... -DDPKG=... -DRPM=... -DREADELF=... -DHDL=ON|OFF
#         -DGENERATOR=... -DC_COMPILER=... -DCXX_COMPILER=... -DPKG_CONFIG=... -DSYSTEMC=ON|OFF
#         -P run_packages.cmake
# The packages hold exactly what `cmake --install` installs, under /usr; the
# .deb's control fields name the computed run-time dependencies; the
# consumers of tests/consumer/ build and run against the unpacked .deb (CMake
# package and pkg-config, both relocatable) and so does its quodra-div; no
# installed ELF file has a run path into the build or source tree; the
# .rpm lists the same files and requires GNU MP.
cmake_minimum_required(VERSION 3.16)
set(here ${CMAKE_CURRENT_LIST_DIR})
set(root ${WORK_DIR}/root)

function(fail)
  string(JOIN "" text ${ARGN})
  message(FATAL_ERROR "${text}")
endfunction()

# Runs a command that must succeed; its standard output goes to `out_var`.
function(run out_var)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT status EQUAL 0)
    string(REPLACE ";" " " command "${ARGN}")
    fail("failed (${status}): ${command}\n${out}\n${err}")
  endif()
  set(${out_var} "${out}" PARENT_SCOPE)
endfunction()

# The one file matching `pattern` in WORK_DIR.
function(the_package out_var pattern)
  file(GLOB found ${WORK_DIR}/${pattern})
  list(LENGTH found count)
  if(NOT count EQUAL 1)
    fail("cpack made ${count} files ${pattern}: ${found}")
  endif()
  set(${out_var} ${found} PARENT_SCOPE)
endfunction()

# Files and symbolic links below `dir`, as sorted paths relative to it.
function(files_below out_var dir)
  file(GLOB_RECURSE found LIST_DIRECTORIES false RELATIVE ${dir} ${dir}/*)
  list(SORT found)
  set(${out_var} "${found}" PARENT_SCOPE)
endfunction()

# --- build both packages from the current tree -----------------------------
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
# CPackConfig.cmake names both generators, DEB and RPM.
run(ignored ${CPACK} --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK_DIR})
the_package(deb "quodra_${VERSION}_*.deb")
the_package(rpm "quodra-${VERSION}-*.rpm")

# --- the .deb's control fields ---------------------------------------------
run(arch ${DPKG} --print-architecture)
foreach(field Package Version Architecture Maintainer Description Depends)
  run(${field} ${DPKG_DEB} --field ${deb} ${field})
endforeach()
if(NOT Package STREQUAL "quodra" OR NOT Version STREQUAL VERSION OR NOT Architecture STREQUAL arch)
  fail("control fields: Package '${Package}', Version '${Version}', Architecture '${Architecture}'; "
       "expected quodra, ${VERSION}, ${arch}")
endif()
if(NOT Maintainer MATCHES "^[^<>]+ <[^<>]+>$" OR Description STREQUAL "")
  fail("Maintainer '${Maintainer}' is not 'name <address>' or the description is empty")
endif()
# dpkg-shlibdeps's computed list: GNU MP and the C++ run-time, never the
# package's own library.
foreach(dependency libgmp10 libstdc\\+\\+6 libc6)
  if(NOT Depends MATCHES "(^|, )${dependency} \\(>= [^)]+\\)")
    fail("Depends lacks a versioned ${dependency}: '${Depends}'")
  endif()
endforeach()
if(Depends MATCHES "quodra")
  fail("the package depends on itself: '${Depends}'")
endif()

# --- the .deb's files: exactly what `cmake --install` installs, under /usr --
run(ignored ${DPKG_DEB} -x ${deb} ${root})
run(ignored ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${WORK_DIR}/installed)
files_below(installed ${WORK_DIR}/installed)
files_below(packaged ${root}/usr)
if(NOT installed STREQUAL packaged)
  fail("the .deb's /usr is not what cmake --install installs:\n  packaged:  ${packaged}\n"
       "  installed: ${installed}")
endif()
files_below(everything ${root})
list(FILTER everything EXCLUDE REGEX "^usr/")
if(everything)
  fail("the .deb installs outside /usr: ${everything}")
endif()

set(lib ${LIBDIR})
set(expected bin/quodra-div include/quodra.h include/quodra.hpp include/quodra_sc_fields.hpp
             include/quodra_sc_divider.hpp include/quodra_sc_target.hpp include/quodra_sc_words.h
             ${lib}/libquodra_systemc.so ${lib}/pkgconfig/quodra-systemc.pc
             ${lib}/libquodra.so ${lib}/libquodra.so.5 ${lib}/libquodra.so.${VERSION}
             ${lib}/cmake/quodra/quodraConfig.cmake ${lib}/cmake/quodra/quodraConfigVersion.cmake
             ${lib}/cmake/quodra/quodraTargets.cmake
             ${lib}/pkgconfig/quodra.pc ${lib}/pkgconfig/quodra-cxx.pc share/doc/quodra/LICENSE)
if(HDL)
  list(APPEND expected ${lib}/libquodra_dpi.so share/quodra/hdl/quodra_pkg.sv
                       share/quodra/hdl/quodra_dpi.c share/quodra/hdl/quodra_dpi.h)
endif()
foreach(file IN LISTS expected)
  if(NOT file IN_LIST packaged)
    fail("the .deb lacks /usr/${file}")
  endif()
endforeach()
# The development name and the SONAME are links to the one real file.
file(READ_SYMLINK ${root}/usr/${lib}/libquodra.so dev_link)
file(READ_SYMLINK ${root}/usr/${lib}/libquodra.so.5 soname_link)
if(NOT dev_link STREQUAL "libquodra.so.5" OR NOT soname_link STREQUAL "libquodra.so.${VERSION}")
  fail("SONAME links: libquodra.so -> '${dev_link}', libquodra.so.5 -> '${soname_link}'")
endif()
# Nothing of the test suite, the benchmarks or the examples, and no static
# archive (the internal one is for the unit tests).
set(stray ${packaged})
list(FILTER stray INCLUDE REGEX "(test|bench|example|fuzz)[^/]*$|\\.a$")
if(stray)
  fail("the .deb holds files of the test suite, benchmarks or examples: ${stray}")
endif()

# --- no run path into the build or source tree -----------------------------
foreach(file IN LISTS packaged)
  set(path ${root}/usr/${file})
  if(IS_SYMLINK ${path})
    continue()
  endif()
  file(READ ${path} magic LIMIT 4 HEX)
  if(NOT magic STREQUAL "7f454c46")
    continue()
  endif()
  run(dynamic ${READELF} -d ${path})
  string(REGEX MATCHALL "\\((RPATH|RUNPATH)\\)[^\n]*" run_paths "${dynamic}")
  foreach(run_path IN LISTS run_paths)
    string(REGEX REPLACE ".*\\[(.*)\\]$" "\\1" entries "${run_path}")
    string(REPLACE ":" ";" entries "${entries}")
    foreach(entry IN LISTS entries)
      if(NOT entry STREQUAL "" AND NOT entry MATCHES "^\\$ORIGIN(/|$)")
        fail("/usr/${file} has a run path outside the package: ${run_path}")
      endif()
    endforeach()
  endforeach()
endforeach()

# --- consumers built against the unpacked .deb ------------------------------
set(consumer_args -DWORK_DIR=${WORK_DIR}/consumers -DPREFIX=${root}/usr -DLIBDIR=${LIBDIR}
    -DGENERATOR=${GENERATOR} -DC_COMPILER=${C_COMPILER} -DCXX_COMPILER=${CXX_COMPILER}
    -DPKG_CONFIG=${PKG_CONFIG} -DSYSTEMC=${SYSTEMC})
set(modes package)
if(PKG_CONFIG)
  list(APPEND modes pkg-config)
endif()
foreach(mode IN LISTS modes)
  run(ignored ${CMAKE_COMMAND} -DMODE=${mode} ${consumer_args} -P ${here}/run_consumer.cmake)
endforeach()

# The files are not at their final place, so the loader is shown the folder.
run(tool_version ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${root}/usr/${LIBDIR}
    ${root}/usr/bin/quodra-div --version)
if(NOT tool_version MATCHES "^quodra-div ${VERSION}, library version ")
  fail("the unpacked quodra-div --version says '${tool_version}'")
endif()

# --- the .rpm: the same files, its architecture and requires ----------------
run(rpm_files ${RPM} -qlp ${rpm})
string(REPLACE "\n" ";" rpm_files "${rpm_files}")
foreach(file IN LISTS installed)
  if(NOT "/usr/${file}" IN_LIST rpm_files)
    fail("the .rpm lacks /usr/${file}:\n${rpm_files}")
  endif()
endforeach()
# Besides the files, only the package's own folders.
foreach(file IN LISTS rpm_files)
  string(REGEX REPLACE "^/usr/" "" relative "${file}")
  if(NOT relative IN_LIST installed AND NOT IS_DIRECTORY ${WORK_DIR}/installed/${relative})
    fail("the .rpm holds ${file}, which cmake --install does not install")
  endif()
endforeach()
run(rpm_arch ${RPM} -qp --queryformat "%{ARCH} %{LICENSE} %{VERSION}" ${rpm})
run(machine uname -m)
if(NOT rpm_arch STREQUAL "${machine} MIT ${VERSION}")
  fail("the .rpm's architecture, license and version are '${rpm_arch}'")
endif()
run(requires ${RPM} -qp --requires ${rpm})
foreach(library libgmp\\.so\\.10 libstdc\\+\\+\\.so\\.6 libc\\.so\\.6)
  if(NOT requires MATCHES "(^|\n)${library}\\(\\)")
    fail("the .rpm does not require ${library}:\n${requires}")
  endif()
endforeach()
message(STATUS "${deb}: ${Depends}\n${rpm}: requires GNU MP, libstdc++, libc")
