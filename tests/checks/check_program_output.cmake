# Runs the built glyphevict as a user would and checks, byte for byte, what it
# writes to standard output and standard error, and its exit status.
# RECORDER, when given, is the same entry with a removal that writes the path
# it receives: a wildcard must reach it as typed, though a file matches it.
#   cmake -DGLYPHEVICT=<program> [-DRECORDER=<program>] [-DEMULATOR=<runner>]
#         -DLINE_END=CRLF|LF -DUSAGE=<usage.txt> -DREADME=<README.md> -DWORK_DIR=<dir>
#         -P check_program_output.cmake
# Output is captured in files, not pipes: Wine's helper processes can hold a
# pipe open long after the program has ended.

if(LINE_END STREQUAL "CRLF")
  set(newline "\r\n")
else()
  set(newline "\n")
endif()
# The usage text, whatever line ends the checkout gave it, with LINE_END's.
file(READ "${USAGE}" usage_text)
string(REPLACE "\r\n" "\n" usage_text "${usage_text}")
# The manual shows it as the program prints it.
file(READ "${README}" readme)
string(REPLACE "\r\n" "\n" readme "${readme}")
string(FIND "${readme}" "\n```\n${usage_text}```\n" at)
if(at EQUAL -1)
  message(SEND_ERROR "README.md has no block that holds ${USAGE} as it stands")
endif()
string(REPLACE "\n" "${newline}" usage_text "${usage_text}")
set(failures 0)

function(expect_file_holds label stream file expected)
  file(READ "${file}" actual_hex HEX)
  string(HEX "${expected}" expected_hex)
  if(NOT actual_hex STREQUAL expected_hex)
    file(READ "${file}" actual)
    message(SEND_ERROR "${label}: ${stream} is [${actual}] (hex ${actual_hex}), "
                       "expected [${expected}] (hex ${expected_hex})")
  endif()
endfunction()

# The arguments after the label are given to `program`, run in WORK_DIR;
# "(empty)" stands for one empty argument, which a CMake list cannot carry.
function(check_run label expected_stdout)
  set(out "${WORK_DIR}/${label}.stdout")
  set(err "${WORK_DIR}/${label}.stderr")
  if(ARGN STREQUAL "(empty)")
    execute_process(COMMAND ${EMULATOR} "${program}" "" WORKING_DIRECTORY "${WORK_DIR}"
                    OUTPUT_FILE "${out}" ERROR_FILE "${err}" RESULT_VARIABLE status TIMEOUT 60)
  else()
    execute_process(COMMAND ${EMULATOR} "${program}" ${ARGN} WORKING_DIRECTORY "${WORK_DIR}"
                    OUTPUT_FILE "${out}" ERROR_FILE "${err}" RESULT_VARIABLE status TIMEOUT 60)
  endif()
  if(NOT status STREQUAL "0")
    message(SEND_ERROR "${label}: exit status ${status}, expected 0")
  endif()
  expect_file_holds("${label}" "standard output" "${out}" "${expected_stdout}")
  expect_file_holds("${label}" "standard error" "${err}" "")
endfunction()

file(MAKE_DIRECTORY "${WORK_DIR}")
file(TOUCH "${WORK_DIR}/match.ttf")
set(program "${GLYPHEVICT}")
check_run(no-argument "${usage_text}")
check_run(font-path "" "C:\\Windows\\Fonts\\glyphevict-not-loaded.ttf")
check_run(empty-argument "" "(empty)")
check_run(question-mark "" "/?")
check_run(three-arguments "" "first.ttf" "second.ttf" "-h")
if(RECORDER)
  set(program "${RECORDER}")
  check_run(wildcards-as-typed "*.ttf${newline}" "*.ttf")
endif()
