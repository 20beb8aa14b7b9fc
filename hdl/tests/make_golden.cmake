# Writes the bench's golden files with the built quodra-div: the default
# flags plus the configuration, 200 random rows from seed 5 at widths 33/33,
# bare and with --header, in signed remainder mode and in High Radix
# fractional mode (8 fraction bits).
#   cmake -DTOOL=quodra-div -DDIR=output-folder -P make_golden.cmake
cmake_minimum_required(VERSION 3.16)

function(write_golden name)
  execute_process(
    COMMAND ${TOOL} --random 200 --seed 5 --dividend-width 33 --divisor-width 33 -f hex
            ${ARGN} -o ${DIR}/${name}.hex
    RESULT_VARIABLE status ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "quodra-div ${ARGN} failed (${status}): ${err}")
  endif()
endfunction()

file(MAKE_DIRECTORY ${DIR})
set(high_radix -a high-radix --fractional --fractional-width 8)
write_golden(div33)
write_golden(div33_header --header)
write_golden(hr33 ${high_radix})
write_golden(hr33_header --header ${high_radix})
