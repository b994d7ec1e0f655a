# Runs scripts/prepare-release.sh as the release workflow does, for this
# version and the repository example/glyphevict, with the built glyphevict.exe
# as the tested one, and checks what it writes: the release's files, signed
# when this version's signature is committed, manifests at the download
# address of the tag, manuals that name the repository, and the notes of this
# version alone. Then checks that it refuses an output folder that is not
# empty, no repository, a malformed one (keeping the failed build's logs), a
# tag of another version, and a tested exe that differs by one byte. Then, on
# a copy of the sources: that it refuses a change listed under Unreleased as
# the release workflow runs it, and else warns of it; that it refuses a
# CHANGELOG date other than the release date, and a manifest template with a
# value that nothing sets; that a signature made with a throwaway certificate
# and committed with that certificate as its CA file gives a signed release
# that names its signer as Windows shows it; and that a signature of other
# bytes is refused. Signing itself is checked on the way, as the maintainer
# runs it (here without a time stamp, which it warns of), and with files or a
# time-stamp server it cannot use.
#   cmake -DSOURCE_DIR=<sources> -DBUILT_EXE=<glyphevict.exe> -DOTHER_EXE=<another .exe>
#         -DVERSION=<version> -DRELEASE_DATE=<YYYY-MM-DD> -DWORK_DIR=<dir> -P check_release.cmake

# prepare_release(SOURCES TAG TESTED [REPOSITORY]), into WORK_DIR/TAG; as the
# release workflow runs it when refuse_unreleased is set.
function(prepare_release sources tag tested)
  set(repository example/glyphevict)
  if(ARGC GREATER 3)
    set(repository "${ARGV3}")
  endif()
  execute_process(
    COMMAND "${CMAKE_COMMAND}" -E env "TMPDIR=${WORK_DIR}/scratch"
      "GLYPHEVICT_REFUSE_UNRELEASED=${refuse_unreleased}"
      bash "${sources}/scripts/prepare-release.sh" ${tag} "${repository}" "${WORK_DIR}/${tag}"
      "${tested}"
    OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE status)
  set(status "${status}" PARENT_SCOPE)
  set(output "${output}" PARENT_SCOPE)
endfunction()

# The last prepare_release failed, and its output matches `pattern`.
function(expect_refused what pattern)
  if(status STREQUAL "0" OR NOT output MATCHES "${pattern}")
    message(SEND_ERROR "${what} was not refused (${status}):\n${output}")
  endif()
endfunction()

set(zip "glyphevict-${VERSION}-win64.zip")
set(out "${WORK_DIR}/v${VERSION}")

# The release of `sources` in `out`; `signer` matches the subject that the
# notes must end with, or is empty for an unsigned release.
function(expect_release sources signer)
  file(REMOVE_RECURSE "${out}")
  prepare_release("${sources}" v${VERSION} "${BUILT_EXE}")
  if(NOT status STREQUAL "0")
    message(FATAL_ERROR "the release of v${VERSION} from ${sources} failed (${status}):\n${output}")
  endif()
  file(GLOB files RELATIVE "${out}" "${out}/*")
  list(SORT files)
  set(expected Glyphevict.Glyphevict.installer.yaml Glyphevict.Glyphevict.locale.en-US.yaml
    Glyphevict.Glyphevict.yaml ${zip} ${zip}.sha256 glyphevict.json release-notes.md)
  if(signer)
    list(APPEND expected glyphevict.exe.pem)
    list(SORT expected)
    set(signed "\n\nglyphevict\\.exe is signed by `${signer}`\\.\n$")
  else()
    set(signed "\n\nglyphevict\\.exe in this release is not signed\\.\n$")
  endif()
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

  # The manuals in the zip name the repository, not the sources' placeholder.
  file(ARCHIVE_EXTRACT INPUT "${out}/${zip}" DESTINATION "${WORK_DIR}/manuals"
    PATTERNS README.md DETAILS.md)
  foreach(manual IN ITEMS README.md DETAILS.md)
    file(READ "${WORK_DIR}/manuals/${manual}" text)
    if(text MATCHES "OWNER/NAME" OR NOT text MATCHES "https://github\\.com/example/glyphevict")
      message(SEND_ERROR "the zip's ${manual} does not name example/glyphevict")
    endif()
  endforeach()

  file(READ "${out}/release-notes.md" notes)
  string(REGEX MATCHALL "(^|\n)## " headings "${notes}")
  list(LENGTH headings sections)
  if(NOT notes MATCHES "^## \\[${VERSION}\\] - " OR NOT sections EQUAL 1
     OR NOT notes MATCHES "${signed}")
    message(SEND_ERROR "the release notes are not of ${VERSION} alone, [${signed}]:\n${notes}")
  endif()
endfunction()

# The sources as they are: signed exactly when this version's signature is committed.
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}/scratch")
set(signatures "packaging/signatures/glyphevict-${VERSION}")
if(EXISTS "${SOURCE_DIR}/${signatures}.exe.pem")
  expect_release("${SOURCE_DIR}" ".+")
else()
  expect_release("${SOURCE_DIR}" "")
endif()

# Refused before anything is built: an output folder that holds files, and no
# repository.
prepare_release("${SOURCE_DIR}" v${VERSION} "${BUILT_EXE}")
expect_refused("an output folder that is not empty" "is not an empty folder; nothing was built")
file(REMOVE_RECURSE "${out}")
prepare_release("${SOURCE_DIR}" v${VERSION} "" "")
expect_refused("an empty repository" "no REPOSITORY")
# A malformed one fails the configure, and the log that CMake names is kept.
prepare_release("${SOURCE_DIR}" v${VERSION} "" "not a repository")
expect_refused("a malformed repository" "must read owner/name.*the build is kept in")
string(REGEX REPLACE ".*See also \"([^\"]+)\".*" "\\1" log "${output}")
if(NOT EXISTS "${log}")
  message(SEND_ERROR "the configure's log is gone:\n${output}")
endif()
prepare_release("${SOURCE_DIR}" v0.0.1 "")
expect_refused("the tag v0.0.1" "v0\\.0\\.1 is not v${VERSION}")

# The tested exe with one byte of its DOS stub's text changed.
execute_process(COMMAND sh -c [[cp "$1" "$2" && printf X | dd of="$2" bs=1 seek=78 conv=notrunc]]
  sh "${BUILT_EXE}" "${WORK_DIR}/other.exe" ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
prepare_release("${SOURCE_DIR}" v${VERSION} "${WORK_DIR}/other.exe")
expect_refused("a tested exe of other bytes" "is not the tested")

# A copy of the sources, with a CHANGELOG that lists a change under
# Unreleased: refused as the release workflow runs it; and that also dates
# this version otherwise: refused, after a warning of the change.
set(copy "${WORK_DIR}/sources")
file(COPY "${SOURCE_DIR}/" DESTINATION "${copy}" PATTERN ".git" EXCLUDE PATTERN "build" EXCLUDE)
file(READ "${SOURCE_DIR}/CHANGELOG.md" changelog)
string(REPLACE "## [Unreleased]\n" "## [Unreleased]\n\n- A change.\n" other_changelog
  "${changelog}")
file(WRITE "${copy}/CHANGELOG.md" "${other_changelog}")
set(refuse_unreleased 1)
prepare_release("${copy}" v${VERSION} "")
expect_refused("a change under Unreleased"
  "lists changes under Unreleased[^\n]*; nothing was built")
set(refuse_unreleased "")
string(REPLACE "## [${VERSION}] - ${RELEASE_DATE}" "## [${VERSION}] - 2099-01-31"
  other_changelog "${other_changelog}")
file(WRITE "${copy}/CHANGELOG.md" "${other_changelog}")
prepare_release("${copy}" v${VERSION} "")
expect_refused("a CHANGELOG date other than ${RELEASE_DATE}, after the warning of a change,"
  "warning: CHANGELOG\\.md lists changes under Unreleased.*2099-01-31.*${RELEASE_DATE}; nothing was")
file(WRITE "${copy}/CHANGELOG.md" "${changelog}")

# A template value that nothing sets.
set(locale "${copy}/packaging/winget/locale.en-US.yaml.in")
file(READ "${locale}" locale_text)
file(APPEND "${locale}" "Copyright: @SOMETHING_UNDEFINED@\n")
prepare_release("${copy}" v${VERSION} "")
expect_refused("an unset template value"
  "packaging/winget/locale\\.en-US\\.yaml\\.in: @SOMETHING_UNDEFINED@ has no value")
file(WRITE "${locale}" "${locale_text}")

# The maintainer's signature, made with a code-signing certificate of the
# test's own, of the tested exe and of another file.
set(signer "${WORK_DIR}/signer")
file(MAKE_DIRECTORY "${signer}/bin" "${signer}/other/bin")
execute_process(
  COMMAND openssl req -x509 -newkey rsa:2048 -nodes -days 2
    -subj "/C=US/ST=Some State/O=glyphevict test, Inc./CN=glyphevict test signer"
    -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning"
    -keyout "${signer}/key.pem" -out "${signer}/certificate.pem"
  OUTPUT_QUIET ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
file(COPY_FILE "${BUILT_EXE}" "${signer}/bin/glyphevict.exe")
file(COPY_FILE "${OTHER_EXE}" "${signer}/other/bin/glyphevict.exe")
foreach(build_dir IN ITEMS "${signer}" "${signer}/other")
  execute_process(
    COMMAND "${CMAKE_COMMAND}" -E env "GLYPHEVICT_BUILD_DIR=${build_dir}"
      bash "${SOURCE_DIR}/scripts/sign-release.sh" "${signer}/certificate.pem" "${signer}/key.pem"
    OUTPUT_QUIET ERROR_VARIABLE errors COMMAND_ERROR_IS_FATAL ANY)
  if(NOT errors MATCHES "^[^\n]*: warning: signed without a time stamp: [^\n]*expires\n$")
    message(SEND_ERROR "signing without a time stamp did not say so once, but:\n${errors}")
  endif()
endforeach()
file(SHA256 "${BUILT_EXE}" built_hash)
file(SHA256 "${signer}/bin/glyphevict.exe" copy_hash)
if(NOT copy_hash STREQUAL built_hash)
  message(SEND_ERROR "signing changed the exe it signs; it must sign a copy only")
endif()
# A certificate or key that is not there, a key given as the certificate or a
# certificate as the key, or a time-stamp server that cannot be reached
# (nothing listens on the discard port here), given as the argument for it or
# as osslsigncode's own -ts: signing fails and says what failed, without
# OpenSSL's messages.
set(unreachable http://127.0.0.1:9/)
foreach(failure IN ITEMS certificate key key-as-certificate certificate-as-key time-stamp
    time-stamp-option)
  set(arguments "${signer}/certificate.pem" "${signer}/key.pem")
  set(expected ": no ${failure} file [^\n]*/no-${failure}\\.pem; no signature was written")
  if(failure STREQUAL "key-as-certificate")
    set(arguments "${signer}/key.pem" "${signer}/key.pem")
    set(expected "signing failed: osslsigncode found no certificate in [^\n]*/key\\.pem;")
  elseif(failure STREQUAL "certificate-as-key")
    set(arguments "${signer}/certificate.pem" "${signer}/certificate.pem")
    set(expected "signing failed: osslsigncode read no private key from [^\n]*/certificate\\.pem")
  elseif(failure STREQUAL "time-stamp")
    list(APPEND arguments "${unreachable}")
    set(expected "signing failed: no time stamp came from ${unreachable}")
  elseif(failure STREQUAL "time-stamp-option")
    list(APPEND arguments -ts "${unreachable}")
    set(expected "signing failed: no time stamp came from the time-stamp server")
  endif()
  string(REPLACE "${signer}/${failure}.pem" "${signer}/no-${failure}.pem" arguments "${arguments}")
  execute_process(
    COMMAND "${CMAKE_COMMAND}" -E env "GLYPHEVICT_BUILD_DIR=${signer}"
      bash "${SOURCE_DIR}/scripts/sign-release.sh" ${arguments}
    OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
  if(status STREQUAL "0" OR NOT errors MATCHES "${expected}" OR errors MATCHES ":error:")
    message(SEND_ERROR "signing (${failure}) ended with ${status} and said:\n"
                       "${output}${errors}")
  endif()
endforeach()

# Committed with its certificate as the CA file: a signed release, which
# names its signer, and whose zipped exe verifies.
file(COPY_FILE "${signer}/glyphevict.exe.pem" "${copy}/${signatures}.exe.pem")
file(COPY_FILE "${signer}/certificate.pem" "${copy}/${signatures}.ca.pem")
expect_release("${copy}" "CN=glyphevict test signer, O=\"glyphevict test, Inc\\.\", S=Some State, C=US")
file(ARCHIVE_EXTRACT INPUT "${out}/${zip}" DESTINATION "${WORK_DIR}/signed" PATTERNS glyphevict.exe)
execute_process(
  COMMAND osslsigncode verify -CAfile "${signer}/certificate.pem"
    -in "${WORK_DIR}/signed/glyphevict.exe"
  OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE status)
if(NOT status STREQUAL "0")
  message(SEND_ERROR "the signed release's glyphevict.exe does not verify:\n${output}")
endif()

# A signature of other bytes is refused, and nothing is released.
file(COPY_FILE "${signer}/other/glyphevict.exe.pem" "${copy}/${signatures}.exe.pem")
file(REMOVE_RECURSE "${out}")
prepare_release("${copy}" v${VERSION} "${BUILT_EXE}")
expect_refused("a signature of other bytes" "made for other bytes")
if(EXISTS "${out}")
  message(SEND_ERROR "a release was written with a signature of other bytes")
endif()
