# Builds glyphevict.exe with the windows preset from two fresh copies of the
# sources at different paths, and checks that both copies and the build under
# test made the very same bytes.
#   cmake -DSOURCE_DIR=<sources> -DWORK_DIR=<dir> -DBUILT_EXE=<glyphevict.exe>
#         -P check_reproducible_build.cmake

set(executables "${BUILT_EXE}")
foreach(copy IN ITEMS a elsewhere/with/a/longer/path)
  set(sources "${WORK_DIR}/${copy}/glyphevict")
  file(REMOVE_RECURSE "${WORK_DIR}/${copy}")
  file(COPY "${SOURCE_DIR}/" DESTINATION "${sources}"
    PATTERN ".git" EXCLUDE
    PATTERN "build" EXCLUDE)
  execute_process(COMMAND "${CMAKE_COMMAND}" --preset windows -DBUILD_TESTING=OFF
    WORKING_DIRECTORY "${sources}" OUTPUT_QUIET RESULT_VARIABLE status)
  if(status STREQUAL "0")
    execute_process(COMMAND "${CMAKE_COMMAND}" --build --preset windows --target glyphevict
      WORKING_DIRECTORY "${sources}" OUTPUT_QUIET RESULT_VARIABLE status)
  endif()
  if(NOT status STREQUAL "0")
    message(FATAL_ERROR "building the copy in ${sources} failed: ${status}")
  endif()
  list(APPEND executables "${sources}/build/windows/bin/glyphevict.exe")
endforeach()

file(SHA256 "${BUILT_EXE}" expected)
foreach(executable IN LISTS executables)
  file(SHA256 "${executable}" actual)
  message(STATUS "${actual}  ${executable}")
  if(NOT actual STREQUAL expected)
    message(SEND_ERROR "${executable} differs from ${BUILT_EXE}")
  endif()
endforeach()
