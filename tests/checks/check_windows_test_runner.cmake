# Runs run-windows-tests.cmd with the build's list of test programs and a
# stand-in in place of each, and the built glyphevict.exe, its argument
# recorder and a font file, beside it: it must run every listed program, each
# running its test whatever GoogleTest selection, repetition or colour the
# caller's environment sets; end with 0 when all pass; and not with 0 when one
# crashes, fails a test, reports a test skipped or runs none, when the
# recorder does not print the wildcard as typed, when glyphevict.exe is
# missing, or when the list is missing or names no program, naming each
# failure with its reason and nothing else. Wine's fc compares nothing: that
# glyphevict.exe printed the usage.txt beside the runner is checked here.
#   cmake -DRUNNER=<run-windows-tests.cmd> -DPROGRAM_LIST=<windows-test-programs.txt>
#         -DSTAND_IN=<runner_stand_in.exe> -DGLYPHEVICT=<glyphevict.exe>
#         -DRECORDER=<glyphevict_argument_recorder.exe> -DUSAGE=<usage.txt>
#         [-DEMULATOR=<wine>] -DWORK_DIR=<dir> -P check_windows_test_runner.cmake

file(STRINGS "${PROGRAM_LIST}" test_programs)

# check_runner(CASE EXPECTED_FAILURES [VARIABLE=PROGRAM]): EXPECTED_FAILURES
# lists, in order, a regular expression for each "FAILED <name>: <reason>"
# line that the runner must print, and for no other, the "FAILED " left out;
# "" when all must pass.
function(check_runner case expected_failures)
  set(dir "${WORK_DIR}/${case}")
  file(MAKE_DIRECTORY "${dir}")
  file(COPY_FILE "${RUNNER}" "${dir}/run-windows-tests.cmd")
  file(COPY_FILE "${USAGE}" "${dir}/usage.txt")
  if(case STREQUAL "blank-list")
    file(WRITE "${dir}/windows-test-programs.txt" "\n")
  elseif(NOT case STREQUAL "no-list")
    file(COPY_FILE "${PROGRAM_LIST}" "${dir}/windows-test-programs.txt")
  endif()
  if(NOT case STREQUAL "no-glyphevict")
    file(COPY_FILE "${GLYPHEVICT}" "${dir}/glyphevict.exe")
  endif()
  if(case STREQUAL "recorder-not-as-typed")
    file(COPY_FILE "${STAND_IN}" "${dir}/glyphevict_argument_recorder.exe")
  else()
    file(COPY_FILE "${RECORDER}" "${dir}/glyphevict_argument_recorder.exe")
  endif()
  file(TOUCH "${dir}/match.ttf")
  foreach(program IN LISTS test_programs)
    file(COPY_FILE "${STAND_IN}" "${dir}/${program}.exe")
  endforeach()
  # Wine's cmd now and then cannot start a program that is there, under load,
  # and says "Can't recognize" where Windows' says "is not recognized": such
  # a run is made once more, and the check says so. (Its for /f on a missing
  # file says "Can't recognize 'do ...'", which is no such failure.)
  foreach(attempt 1 2)
    execute_process(COMMAND "${CMAKE_COMMAND}" -E env ${ARGN} ${EMULATOR} cmd /c run-windows-tests.cmd
      WORKING_DIRECTORY "${dir}" OUTPUT_VARIABLE output ERROR_VARIABLE output
      RESULT_VARIABLE status TIMEOUT 120)
    if(NOT output MATCHES "Can't recognize '[^'\r\n]*\\.exe\"?'[^\r\n]*")
      break()
    endif()
    message(NOTICE "${case}: run ${attempt} of 2: Wine's cmd said [${CMAKE_MATCH_0}]")
  endforeach()
  if(expected_failures STREQUAL "")
    if(NOT status STREQUAL "0" OR NOT output MATCHES "All Windows tests passed")
      message(SEND_ERROR "${case}: the runner ended with ${status}, expected 0:\n${output}")
    endif()
    file(READ "${USAGE}" usage HEX)
    file(READ "${dir}/test-logs/glyphevict-output/no-argument.out" printed HEX)
    if(NOT printed STREQUAL usage)
      message(SEND_ERROR "${case}: glyphevict.exe printed [${printed}], not usage.txt [${usage}]")
    endif()
    foreach(program IN LISTS test_programs)
      if(NOT output MATCHES "=== ${program}\r?\n\\[==========\\] 1 test from [^\n]*\n\\[  PASSED  \\] 1 test\\.")
        message(SEND_ERROR "${case}: the runner did not run ${program}'s test:\n${output}")
      endif()
    endforeach()
    return()
  endif()
  string(REGEX MATCHALL "\nFAILED [^:\r\n]+: [^\r\n]*" failures "\n${output}")
  list(TRANSFORM failures REPLACE "^\nFAILED " "")
  list(JOIN failures "\n" named)
  list(JOIN expected_failures "\n" expected)
  if(status STREQUAL "0" OR NOT named MATCHES "^${expected}$")
    message(SEND_ERROR "${case}: the runner ended with ${status}, naming as failed [${failures}], "
                       "expected [${expected_failures}]:\n${output}")
  endif()
endfunction()

file(REMOVE_RECURSE "${WORK_DIR}")
check_runner(all-pass "")
check_runner(crash-or-fail
  "glyphevict_unit_tests: exit status 1;glyphevict_real_font_table_test: exit status -1073741819"
  GLYPHEVICT_STAND_IN_FAILS=glyphevict_unit_tests
  GLYPHEVICT_STAND_IN_CRASHES=glyphevict_real_font_table_test)
check_runner(skip "glyphevict_end_to_end_test: a test was skipped, so it did not run"
  GLYPHEVICT_STAND_IN_SKIPS=glyphevict_end_to_end_test)
check_runner(selection-set "" GTEST_FILTER=NoSuch.* GTEST_REPEAT=0 GTEST_COLOR=yes)
check_runner(runs-none
  "glyphevict_end_to_end_test: it printed no test summary;glyphevict_identity_test: it ran no test"
  GLYPHEVICT_STAND_IN_SILENT=glyphevict_end_to_end_test
  GLYPHEVICT_STAND_IN_RUNS_NONE=glyphevict_identity_test GTEST_COLOR=yes)
check_runner(recorder-not-as-typed "wildcards-as-typed: \\*\\.ttf did not arrive as typed, above")
check_runner(no-glyphevict "glyphevict\\.exe: not in \".*\"")
check_runner(no-list "windows-test-programs\\.txt: not found beside this script")
check_runner(blank-list "windows-test-programs\\.txt: names no test program")
