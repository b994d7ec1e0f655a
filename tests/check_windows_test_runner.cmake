# Runs run-windows-tests.cmd with stand-ins in place of the test programs and
# the built glyphevict.exe beside them: its status must be 0 when every
# program passes, and not 0 when one crashes or reports a test skipped.
#   cmake -DRUNNER=<run-windows-tests.cmd> -DSTAND_IN=<runner_stand_in.exe>
#         -DGLYPHEVICT=<glyphevict.exe> [-DEMULATOR=<wine>] -DWORK_DIR=<dir>
#         -P check_windows_test_runner.cmake

set(test_programs glyphevict_unit_tests glyphevict_real_font_table_test
  glyphevict_identity_test glyphevict_end_to_end_test)

# check_runner(CASE EXPECTED_FAILURE [VARIABLE=PROGRAM]): EXPECTED_FAILURE is
# the program the runner must name as failed, or "" when all must pass.
function(check_runner case expected_failure)
  set(dir "${WORK_DIR}/${case}")
  file(MAKE_DIRECTORY "${dir}")
  file(COPY_FILE "${RUNNER}" "${dir}/run-windows-tests.cmd")
  file(COPY_FILE "${GLYPHEVICT}" "${dir}/glyphevict.exe")
  foreach(program IN LISTS test_programs)
    file(COPY_FILE "${STAND_IN}" "${dir}/${program}.exe")
  endforeach()
  execute_process(COMMAND "${CMAKE_COMMAND}" -E env ${ARGN} ${EMULATOR} cmd /c run-windows-tests.cmd
    WORKING_DIRECTORY "${dir}" OUTPUT_VARIABLE output ERROR_VARIABLE output
    RESULT_VARIABLE status TIMEOUT 120)
  if(expected_failure STREQUAL "")
    if(NOT status STREQUAL "0" OR NOT output MATCHES "All Windows tests passed")
      message(SEND_ERROR "${case}: the runner ended with ${status}, expected 0:\n${output}")
    endif()
  elseif(status STREQUAL "0" OR NOT output MATCHES "FAILED ${expected_failure}:")
    message(SEND_ERROR "${case}: the runner ended with ${status} without naming "
                       "${expected_failure} as failed:\n${output}")
  endif()
endfunction()

file(REMOVE_RECURSE "${WORK_DIR}")
check_runner(all-pass "")
check_runner(crash glyphevict_real_font_table_test
  GLYPHEVICT_STAND_IN_CRASHES=glyphevict_real_font_table_test)
check_runner(skip glyphevict_end_to_end_test
  GLYPHEVICT_STAND_IN_SKIPS=glyphevict_end_to_end_test)
