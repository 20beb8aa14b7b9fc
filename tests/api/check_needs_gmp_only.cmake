# The surface libraries that carry the engine inside (libquodra_dpi,
# libquodra_systemc) must not need libquodra at run time, only GNU MP and
# the C and C++ run-time libraries.
find_program(READELF_PROGRAM readelf REQUIRED)
execute_process(COMMAND ${READELF_PROGRAM} -d ${LIBRARY}
                OUTPUT_VARIABLE dynamic RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "readelf failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "Shared library: \\[[^]]+\\]" needed "${dynamic}")
if(NOT needed MATCHES "libgmp")
  message(FATAL_ERROR "${LIBRARY} does not need GNU MP: ${needed}")
endif()
if(needed MATCHES "libquodra")
  message(FATAL_ERROR "${LIBRARY} needs libquodra: ${needed}")
endif()
message(STATUS "needs ${needed}")
