# Builds the release with the windows preset from two fresh copies of the
# sources, neither with SOURCE_DATE_EPOCH: a git checkout whose commit is of
# another day than the release, with git on the PATH; and a plain copy, with no
# git on the PATH. They lie at paths of different lengths and are built under
# different umasks and time zones and, when run as root, the plain copy as
# another user. Checks that both made the glyphevict.exe under test and the
# very same zip, checksum file and manifests, dated RELEASE_DATE.
#   cmake -DSOURCE_DIR=<sources> -DWORK_DIR=<dir> -DBUILT_EXE=<glyphevict.exe>
#         -DPACKAGE=<zip name> -DRELEASE_DATE=<YYYY-MM-DD> -P check_reproducible_build.cmake

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

# Copy a: this user, umask 077, a time zone ahead of UTC, a git checkout with
# git on the PATH. Copy b: another user where this one may switch, umask 022, a
# time zone behind UTC, no git on the PATH, in a folder of its own under the
# system's temporary folder, which that user can reach wherever WORK_DIR is.
file(REMOVE_RECURSE "${WORK_DIR}")
set(copy_a "${WORK_DIR}/a/glyphevict")
file(COPY "${SOURCE_DIR}/" DESTINATION "${copy_a}" PATTERN ".git" EXCLUDE PATTERN "build" EXCLUDE)
# Its commit is of another day than the release: a date taken from git shows.
find_program(git git REQUIRED)
set(git_in_copy_a "${CMAKE_COMMAND}" -E env GIT_CONFIG_GLOBAL=/dev/null GIT_CONFIG_NOSYSTEM=1
  GIT_AUTHOR_DATE=2001-02-03T04:05:06Z GIT_COMMITTER_DATE=2001-02-03T04:05:06Z
  "${git}" -C "${copy_a}" -c user.name=glyphevict -c user.email=glyphevict@test.invalid)
foreach(arguments IN ITEMS "init;-q" "add;-A" "commit;-q;-m;The sources under test")
  execute_process(COMMAND ${git_in_copy_a} ${arguments} COMMAND_ERROR_IS_FATAL ANY)
endforeach()

execute_process(COMMAND mktemp -d --tmpdir glyphevict-reproducible.XXXXXX
  OUTPUT_VARIABLE scratch OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(copy_b "${scratch}/elsewhere/with/a/longer/path/glyphevict")
file(COPY "${SOURCE_DIR}/" DESTINATION "${copy_b}" PATTERN ".git" EXCLUDE PATTERN "build" EXCLUDE)
# This PATH without git: a folder of links to every other program on it (made
# by the shell: a CMake list cannot hold the program called "[").
set(no_git_path "${scratch}/path")
file(MAKE_DIRECTORY "${no_git_path}")
execute_process(COMMAND sh -c [[
  IFS=:
  for folder in $PATH; do
    for program in "$folder"/*; do
      name=${program##*/}
      if [ "$name" != git ] && [ ! -L "$1/$name" ]; then ln -s "$program" "$1/$name"; fi
    done
  done]] sh "${no_git_path}")

set(launcher_a "${CMAKE_COMMAND}" -E env --unset=SOURCE_DATE_EPOCH TZ=Pacific/Chatham
  sh -c "umask 077 && exec \"$@\"" sh)
set(launcher_b "${CMAKE_COMMAND}" -E env --unset=SOURCE_DATE_EPOCH "PATH=${no_git_path}"
  TZ=America/St_Johns sh -c "umask 022 && exec \"$@\"" sh)
execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
find_program(setpriv setpriv)
if(uid STREQUAL "0" AND setpriv)
  execute_process(COMMAND chown -R nobody: "${scratch}")
  list(PREPEND launcher_b "${setpriv}" --reuid=nobody --regid=nogroup --clear-groups)
else()
  message(STATUS "not root: both copies are built by this user")
endif()

package_copy("${copy_a}" status_a "${launcher_a}")
package_copy("${copy_b}" status_b "${launcher_b}")
# Copy b's results are kept in WORK_DIR/b, and its scratch folder removed
# before this script can stop.
set(release_files "${PACKAGE}" "${PACKAGE}.sha256"
  manifests/winget/Glyphevict.Glyphevict.yaml
  manifests/winget/Glyphevict.Glyphevict.installer.yaml
  manifests/winget/Glyphevict.Glyphevict.locale.en-US.yaml
  manifests/scoop/glyphevict.json)
if(status_b STREQUAL "0")
  foreach(file IN LISTS release_files ITEMS bin/glyphevict.exe)
    get_filename_component(folder "${WORK_DIR}/b/${file}" DIRECTORY)
    file(COPY "${copy_b}/build/windows/${file}" DESTINATION "${folder}")
  endforeach()
endif()
file(REMOVE_RECURSE "${scratch}")
if(NOT status_a STREQUAL "0" OR NOT status_b STREQUAL "0")
  message(FATAL_ERROR "packaging the copies failed: ${status_a}, ${status_b}\n"
                      "${status_a_output}\n${status_b_output}")
endif()
foreach(build IN ITEMS "${copy_a}/build/windows" "${WORK_DIR}/b")
  expect_same_file("${BUILT_EXE}" "${build}/bin/glyphevict.exe")
endforeach()
foreach(file IN LISTS release_files)
  expect_same_file("${copy_a}/build/windows/${file}" "${WORK_DIR}/b/${file}")
endforeach()

# The zip's members and winget's ReleaseDate carry the release date.
set(unpacked "${WORK_DIR}/unpacked")
file(ARCHIVE_EXTRACT INPUT "${copy_a}/build/windows/${PACKAGE}" DESTINATION "${unpacked}")
file(GLOB members RELATIVE "${unpacked}" "${unpacked}/*")
foreach(member IN LISTS members)
  file(TIMESTAMP "${unpacked}/${member}" time "%Y-%m-%d %H:%M:%S" UTC)
  if(NOT time STREQUAL "${RELEASE_DATE} 00:00:00")
    message(SEND_ERROR "${member} is dated [${time}] in the zip, not ${RELEASE_DATE} 00:00:00 UTC")
  endif()
endforeach()
file(READ "${copy_a}/build/windows/manifests/winget/Glyphevict.Glyphevict.installer.yaml" installer)
if(NOT installer MATCHES "\nReleaseDate: \"${RELEASE_DATE}\"\n")
  message(SEND_ERROR "the winget installer manifest does not date the release ${RELEASE_DATE}:\n"
                     "${installer}")
endif()
