# Runs scripts/prepare-release.sh as the release workflow does, for this
# version and the repository example/glyphevict, with the built glyphevict.exe
# as the tested one, and checks what it writes: the release's files, manifests
# at the download address of the tag, and the notes of this version alone.
# Then checks that it refuses a tag of another version, and a tested exe that
# differs by one byte.
#   cmake -DSOURCE_DIR=<sources> -DBUILT_EXE=<glyphevict.exe> -DVERSION=<version>
#         -DWORK_DIR=<dir> -P check_release.cmake

function(prepare_release tag tested)
  execute_process(
    COMMAND bash "${SOURCE_DIR}/scripts/prepare-release.sh" ${tag} example/glyphevict
      "${WORK_DIR}/${tag}" "${tested}"
    OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE status)
  set(status "${status}" PARENT_SCOPE)
  set(output "${output}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${WORK_DIR}")
set(out "${WORK_DIR}/v${VERSION}")
prepare_release(v${VERSION} "${BUILT_EXE}")
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "the release of v${VERSION} failed (${status}):\n${output}")
endif()
file(GLOB files RELATIVE "${out}" "${out}/*")
list(SORT files)
set(zip "glyphevict-${VERSION}-win64.zip")
set(expected Glyphevict.Glyphevict.installer.yaml Glyphevict.Glyphevict.locale.en-US.yaml
  Glyphevict.Glyphevict.yaml ${zip} ${zip}.sha256 glyphevict.json release-notes.md)
if(NOT files STREQUAL expected)
  message(SEND_ERROR "the release holds [${files}], expected [${expected}]")
endif()

set(url "https://github.com/example/glyphevict/releases/download/v${VERSION}/${zip}")
foreach(manifest IN ITEMS Glyphevict.Glyphevict Glyphevict.Glyphevict.installer
    Glyphevict.Glyphevict.locale.en-US)
  file(READ "${out}/${manifest}.yaml" text)
  if(NOT text MATCHES "\nManifestVersion: 1\\.12\\.0\n")
    message(SEND_ERROR "${manifest}.yaml is not of manifest version 1.12.0:\n${text}")
  endif()
endforeach()
file(READ "${out}/Glyphevict.Glyphevict.installer.yaml" installer)
file(READ "${out}/glyphevict.json" scoop)
string(JSON scoop_url GET "${scoop}" architecture 64bit url)
string(JSON scoop_homepage GET "${scoop}" homepage)
if(NOT installer MATCHES "\n    InstallerUrl: ${url}\n" OR NOT scoop_url STREQUAL url
   OR NOT scoop_homepage STREQUAL "https://github.com/example/glyphevict")
  message(SEND_ERROR "the manifests do not point at ${url}:\n${installer}\n${scoop}")
endif()

file(READ "${out}/release-notes.md" notes)
string(REGEX MATCHALL "(^|\n)## " headings "${notes}")
list(LENGTH headings sections)
if(NOT notes MATCHES "^## \\[${VERSION}\\] - " OR NOT sections EQUAL 1 OR NOT notes MATCHES "not signed")
  message(SEND_ERROR "the release notes are not of ${VERSION} alone, unsigned:\n${notes}")
endif()

prepare_release(v0.0.1 "")
if(status STREQUAL "0" OR NOT output MATCHES "v0\\.0\\.1 is not v${VERSION}")
  message(SEND_ERROR "the tag v0.0.1 was not refused, naming both versions (${status}):\n${output}")
endif()

# The tested exe with one byte of its DOS stub's text changed.
execute_process(COMMAND sh -c [[cp "$1" "$2" && printf X | dd of="$2" bs=1 seek=78 conv=notrunc]]
  sh "${BUILT_EXE}" "${WORK_DIR}/other.exe" ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
prepare_release(v${VERSION} "${WORK_DIR}/other.exe")
if(status STREQUAL "0" OR NOT output MATCHES "is not the tested")
  message(SEND_ERROR "a tested exe of other bytes was not refused (${status}):\n${output}")
endif()
