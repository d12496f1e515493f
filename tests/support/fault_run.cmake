# EXECUTABLE under EMULATOR with --gtest_filter=FILTER: fails unless it exits
# with 0 and reports COUNT passed cases. The bound lies inside ctest's, so a
# hang ends the Wine process too.
execute_process(COMMAND ${EMULATOR} ${EXECUTABLE} --gtest_filter=${FILTER} TIMEOUT 110
  RESULT_VARIABLE code OUTPUT_VARIABLE output ECHO_OUTPUT_VARIABLE)
if(NOT code EQUAL 0 OR NOT output MATCHES "\\[  PASSED  \\] ${COUNT} tests?\\.")
  message(FATAL_ERROR "expected exit code 0 and ${COUNT} passed cases; the exit code was ${code}")
endif()
