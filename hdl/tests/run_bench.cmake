# Runs the verilated bench and judges it by exit status and output:
#   cmake -DBENCH=bench "-DPLUSARGS=+a +b" -DEXPECT=pass|fail -DPATTERN=regex -P run_bench.cmake
# pass: status 0, PATTERN in the output and no "FAILED" or mismatch line.
# fail: a non-zero status and PATTERN in the output (the failure reported
# for the right reason, not a crash).
separate_arguments(plusargs UNIX_COMMAND "${PLUSARGS}")
execute_process(COMMAND ${BENCH} ${plusargs}
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(text "${out}${err}")
message("${text}")
if(NOT text MATCHES "${PATTERN}")
  message(FATAL_ERROR "the bench's output lacks '${PATTERN}' (status ${status})")
endif()
if(EXPECT STREQUAL "pass")
  if(NOT status EQUAL 0 OR text MATCHES "FAILED|MISMATCH|GOLDEN")
    message(FATAL_ERROR "the bench failed (status ${status})")
  endif()
elseif(status EQUAL 0)
  message(FATAL_ERROR "the bench succeeded where it must fail")
endif()
