# Writes the bench's golden files with the built quodra-div: the default
# flags plus the configuration, 200 random rows from seed 5 at widths 33/33,
# bare and with --header, in signed remainder mode and in High Radix
# fractional mode (8 fraction bits).
#   cmake -DTOOL=quodra-div -DDIR=output-folder -P make_golden.cmake
file(MAKE_DIRECTORY ${DIR})
set(common --random 200 --seed 5 --dividend-width 33 --divisor-width 33 -f hex)
set(high_radix -a high-radix --fractional --fractional-width 8)
foreach(run IN ITEMS "div33;" "div33_header;--header" "hr33;${high_radix}"
                     "hr33_header;--header;${high_radix}")
  list(POP_FRONT run name)
  execute_process(COMMAND ${TOOL} ${common} ${run} -o ${DIR}/${name}.hex
    RESULT_VARIABLE status ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "quodra-div ${run} failed (${status}): ${err}")
  endif()
endforeach()
