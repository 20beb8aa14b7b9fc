# Builds and runs the outside consumer programs one way:
#   cmake -DMODE=install|package|pkg-config|subdirectory -DWORK_DIR=... [...] -P run_consumer.cmake
# install      installs the build tree BUILD_DIR into WORK_DIR/prefix
# package      find_package(quodra) against that prefix
# pkg-config   compiles the C consumer with `pkg-config --cflags --libs quodra`
#              and the C++ one with `... quodra-cxx` against it
# subdirectory add_subdirectory() of the source checkout SOURCE_DIR
# With -DSYSTEMC=ON (the build found SystemC) the SystemC consumer is built
# and run too, and must report its sample divided on the word batch.
# package and pkg-config take another prefix with -DPREFIX=... and its library
# folder (default lib) with -DLIBDIR=..., as the package test does for an
# unpacked .deb.
if(PREFIX)
  set(prefix ${PREFIX})
else()
  set(prefix ${WORK_DIR}/prefix)
endif()
if(NOT LIBDIR)
  set(LIBDIR lib)
endif()
set(here ${CMAKE_CURRENT_LIST_DIR})

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    string(REPLACE ";" " " command "${ARGN}")
    message(FATAL_ERROR "failed (${status}): ${command}\n${out}\n${err}")
  endif()
  message(STATUS "${out}")
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

# Runs the SystemC consumer: -1000 / 7 truncates to -142 rem -6, and the
# sample must have gone through libquodra_systemc.
function(run_systemc_consumer program)
  set(ENV{SC_COPYRIGHT_MESSAGE} DISABLE)
  run(${program})
  if(NOT last_output MATCHES "consumer SystemC: -1000 / 7 = -142 rem -6 on the word batch")
    message(FATAL_ERROR "${program} did not divide on the word batch:\n${last_output}")
  endif()
endfunction()

# A C consumer pays nothing for the C++ layer: `program` must not need
# GNU MP's C++ library at run time.
function(require_no_gmpxx program)
  find_program(READELF readelf REQUIRED)
  execute_process(COMMAND ${READELF} -d ${program} OUTPUT_VARIABLE dynamic RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "readelf -d ${program} failed")
  endif()
  if(dynamic MATCHES "libgmpxx")
    message(FATAL_ERROR "the C consumer ${program} needs libgmpxx:\n${dynamic}")
  endif()
endfunction()

# Configures, builds and runs the consumer project in its own build folder.
function(build_and_run_project build_dir)
  file(REMOVE_RECURSE ${build_dir})
  run(${CMAKE_COMMAND} -S ${here} -B ${build_dir} -G ${GENERATOR}
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=${C_COMPILER}
      -DCMAKE_CXX_COMPILER=${CXX_COMPILER} ${ARGN})
  run(${CMAKE_COMMAND} --build ${build_dir} -j 2)
  run(${build_dir}/consumer_c)
  run(${build_dir}/consumer_cpp)
  require_no_gmpxx(${build_dir}/consumer_c)
  if(SYSTEMC)
    run_systemc_consumer(${build_dir}/consumer_systemc)
  endif()
endfunction()

# Compiles one consumer source as the docs say, with the flags of
# pkg-config's `module` (and any extra compiler flags given after the output
# name) and a run path to pkg-config's libdir, and runs it with no
# LD_LIBRARY_PATH: the program must start from the run path alone.
function(build_and_run_with_pkg_config module compiler source output)
  set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
  execute_process(COMMAND ${PKG_CONFIG} --cflags --libs ${module}
                  OUTPUT_VARIABLE flags RESULT_VARIABLE status OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "pkg-config does not know ${module} under ${prefix}")
  endif()
  # quodra is the C interface alone; quodra-cxx adds GNU MP's C++ classes.
  if(module STREQUAL "quodra" AND flags MATCHES "gmpxx")
    message(FATAL_ERROR "pkg-config's quodra asks C consumers for gmpxx: ${flags}")
  endif()
  if(module STREQUAL "quodra-cxx" AND NOT flags MATCHES "-lgmpxx")
    message(FATAL_ERROR "pkg-config's quodra-cxx does not bring gmpxx: ${flags}")
  endif()
  execute_process(COMMAND ${PKG_CONFIG} --variable=libdir quodra
                  OUTPUT_VARIABLE libdir OUTPUT_STRIP_TRAILING_WHITESPACE)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  run(${compiler} ${ARGN} ${here}/${source} ${flags} -Wl,-rpath,${libdir} -o ${WORK_DIR}/${output})
  unset(ENV{LD_LIBRARY_PATH})
  if(source STREQUAL "consumer_systemc.cpp")
    run_systemc_consumer(${WORK_DIR}/${output})
  else()
    run(${WORK_DIR}/${output})
  endif()
endfunction()

if(MODE STREQUAL "install")
  file(REMOVE_RECURSE ${prefix})
  run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
  foreach(expected lib/libquodra.so lib/libquodra.so.5 include/quodra.h include/quodra.hpp
                   include/quodra_sc_fields.hpp include/quodra_sc_divider.hpp
                   include/quodra_sc_target.hpp include/quodra_sc_words.h lib/libquodra_systemc.so
                   lib/pkgconfig/quodra-systemc.pc
                   lib/cmake/quodra/quodraConfig.cmake lib/cmake/quodra/quodraConfigVersion.cmake
                   lib/pkgconfig/quodra.pc lib/pkgconfig/quodra-cxx.pc bin/quodra-div)
    if(NOT EXISTS ${prefix}/${expected})
      message(FATAL_ERROR "not installed: ${expected}")
    endif()
  endforeach()
  if(EXISTS ${prefix}/lib/libquodra_internal.a)
    message(FATAL_ERROR "the internal test archive was installed")
  endif()
  # The installed tool finds the installed library through its run path.
  run(${prefix}/bin/quodra-div --demo)
elseif(MODE STREQUAL "package")
  build_and_run_project(${WORK_DIR}/package -DCMAKE_PREFIX_PATH=${prefix})
elseif(MODE STREQUAL "pkg-config")
  build_and_run_with_pkg_config(quodra ${C_COMPILER} consumer.c consumer_c_pc)
  require_no_gmpxx(${WORK_DIR}/consumer_c_pc)
  build_and_run_with_pkg_config(quodra-cxx ${CXX_COMPILER} consumer.cpp consumer_cpp_pc -std=c++17)
  if(SYSTEMC)
    build_and_run_with_pkg_config("quodra-systemc;systemc" ${CXX_COMPILER} consumer_systemc.cpp
                                  consumer_systemc_pc -std=c++17)
  endif()
elseif(MODE STREQUAL "subdirectory")
  build_and_run_project(${WORK_DIR}/subdirectory -DQUODRA_SOURCE_DIR=${SOURCE_DIR})
else()
  message(FATAL_ERROR "unknown MODE '${MODE}'")
endif()
