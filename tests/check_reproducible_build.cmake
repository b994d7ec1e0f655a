# Builds the release with the windows preset from two fresh copies of the
# sources at different paths, under different umasks and time zones and, when
# run as root, as another user; checks that both made the glyphevict.exe under
# test and the very same zip and checksum file. Then signs that exe as the
# maintainer does, attaches the detached signature in another package step of
# a copy, and checks the zipped exe: it verifies, and without its signature it
# is the unsigned build. A signature made for another file must stop the
# package step and leave no zip.
#   cmake -DSOURCE_DIR=<sources> -DWORK_DIR=<dir> -DBUILT_EXE=<glyphevict.exe>
#         -DOTHER_EXE=<another .exe> -DPACKAGE=<zip name>
#         -P check_reproducible_build.cmake

set(no_git_date 1767225600)  # the documented date for sources that are no git checkout

# Configures and packages the copy in `sources`, with `launcher` (a command
# prefix) and the cache settings after it; the status goes to `result`.
function(package_copy sources result launcher)
  execute_process(COMMAND ${launcher} "${CMAKE_COMMAND}" --preset windows -DBUILD_TESTING=OFF ${ARGN}
    WORKING_DIRECTORY "${sources}" OUTPUT_QUIET RESULT_VARIABLE status)
  if(status STREQUAL "0")
    execute_process(COMMAND ${launcher} "${CMAKE_COMMAND}" --build --preset windows --target package
      WORKING_DIRECTORY "${sources}" OUTPUT_VARIABLE output ERROR_VARIABLE output
      RESULT_VARIABLE status)
  endif()
  set(${result} "${status}" PARENT_SCOPE)
  set(${result}_output "${output}" PARENT_SCOPE)
endfunction()

function(expect_same_file expected actual)
  file(SHA256 "${expected}" expected_hash)
  file(SHA256 "${actual}" actual_hash)
  message(STATUS "${actual_hash}  ${actual}")
  if(NOT actual_hash STREQUAL expected_hash)
    message(SEND_ERROR "${actual} differs from ${expected}")
  endif()
endfunction()

# Copy a: this user, umask 077, a time zone ahead of UTC, no SOURCE_DATE_EPOCH
# (the copy is no git checkout, so the documented date). Copy b: another user
# where this one may switch, umask 022, a time zone behind UTC, that date given.
set(copy_a "${WORK_DIR}/a/glyphevict")
set(copy_b "${WORK_DIR}/elsewhere/with/a/longer/path/glyphevict")
set(launcher_a "${CMAKE_COMMAND}" -E env --unset=SOURCE_DATE_EPOCH TZ=Pacific/Chatham
  sh -c "umask 077 && exec \"$@\"" sh)
set(launcher_b "${CMAKE_COMMAND}" -E env SOURCE_DATE_EPOCH=${no_git_date} TZ=America/St_Johns
  sh -c "umask 022 && exec \"$@\"" sh)
file(REMOVE_RECURSE "${WORK_DIR}")
foreach(sources IN ITEMS "${copy_a}" "${copy_b}")
  file(COPY "${SOURCE_DIR}/" DESTINATION "${sources}" PATTERN ".git" EXCLUDE PATTERN "build" EXCLUDE)
endforeach()
execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
find_program(setpriv setpriv)
if(uid STREQUAL "0" AND setpriv)
  execute_process(COMMAND chown -R nobody: "${WORK_DIR}/elsewhere")
  list(PREPEND launcher_b "${setpriv}" --reuid=nobody --regid=nogroup --clear-groups)
else()
  message(STATUS "not root: both copies are built by this user")
endif()

package_copy("${copy_a}" status_a "${launcher_a}")
package_copy("${copy_b}" status_b "${launcher_b}")
if(NOT status_a STREQUAL "0" OR NOT status_b STREQUAL "0")
  message(FATAL_ERROR "packaging the copies failed: ${status_a}, ${status_b}\n"
                      "${status_a_output}\n${status_b_output}")
endif()
foreach(sources IN ITEMS "${copy_a}" "${copy_b}")
  expect_same_file("${BUILT_EXE}" "${sources}/build/windows/bin/glyphevict.exe")
endforeach()
foreach(file IN ITEMS "${PACKAGE}" "${PACKAGE}.sha256")
  expect_same_file("${copy_a}/build/windows/${file}" "${copy_b}/build/windows/${file}")
endforeach()

# The maintainer's signature, made with a code-signing certificate of the test's own.
set(signer "${WORK_DIR}/signer")
file(MAKE_DIRECTORY "${signer}/bin" "${signer}/other/bin")
execute_process(
  COMMAND openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=glyphevict test signer"
    -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning"
    -keyout "${signer}/key.pem" -out "${signer}/certificate.pem"
  OUTPUT_QUIET ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
file(COPY_FILE "${BUILT_EXE}" "${signer}/bin/glyphevict.exe")
file(COPY_FILE "${OTHER_EXE}" "${signer}/other/bin/glyphevict.exe")
foreach(build_dir IN ITEMS "${signer}" "${signer}/other")
  execute_process(
    COMMAND "${CMAKE_COMMAND}" -E env "GLYPHEVICT_BUILD_DIR=${build_dir}"
      bash "${SOURCE_DIR}/scripts/sign-release.sh" "${signer}/certificate.pem" "${signer}/key.pem"
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
endforeach()
expect_same_file("${BUILT_EXE}" "${signer}/bin/glyphevict.exe")  # signed a copy only

# Attached in the package step, the signature verifies and removes cleanly.
package_copy("${copy_a}" status "" "-DGLYPHEVICT_DETACHED_SIGNATURE=${signer}/glyphevict.exe.pem"
  "-DGLYPHEVICT_SIGNATURE_CAFILE=${signer}/certificate.pem")
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "packaging with the signature failed: ${status}\n${status_output}")
endif()
set(unpacked "${WORK_DIR}/signed")
file(ARCHIVE_EXTRACT INPUT "${copy_a}/build/windows/${PACKAGE}" DESTINATION "${unpacked}")
execute_process(
  COMMAND osslsigncode verify -CAfile "${signer}/certificate.pem" -in "${unpacked}/glyphevict.exe"
  OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE status)
if(NOT status STREQUAL "0")
  message(SEND_ERROR "the zipped glyphevict.exe does not verify:\n${output}")
endif()
execute_process(COMMAND osslsigncode remove-signature
  -in "${unpacked}/glyphevict.exe" -out "${unpacked}/unsigned.exe" OUTPUT_QUIET)
expect_same_file("${BUILT_EXE}" "${unpacked}/unsigned.exe")

# A signature of another file stops the package step and leaves no zip.
package_copy("${copy_a}" status ""
  "-DGLYPHEVICT_DETACHED_SIGNATURE=${signer}/other/glyphevict.exe.pem")
if(status STREQUAL "0" OR NOT status_output MATCHES "made for other bytes"
   OR EXISTS "${copy_a}/build/windows/${PACKAGE}")
  message(SEND_ERROR "a signature of another file was not refused (${status}):\n${status_output}")
endif()
