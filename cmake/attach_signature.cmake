# Attaches a detached Authenticode signature to the unsigned glyphevict.exe and
# checks it; run while installing. Expects OSSLSIGNCODE, UNSIGNED_EXE,
# SIGNATURE, CAFILE (empty: the system's trusted certificates; else the
# certificates that the signature's and its time stamp's chains must end in)
# and SIGNED_EXE.
# A signature made for other bytes, or one whose chain is not trusted, stops
# the install with nothing left at SIGNED_EXE.

set(chain_options "")
set(trusted_by "the system's trusted certificates")
if(CAFILE)
  set(chain_options -CAfile "${CAFILE}" -TSA-CAfile "${CAFILE}")
  set(trusted_by "${CAFILE}")
endif()

get_filename_component(signed_dir "${SIGNED_EXE}" DIRECTORY)
file(MAKE_DIRECTORY "${signed_dir}")
# attach-signature writes its output even when it fails: only its status counts.
execute_process(
  COMMAND "${OSSLSIGNCODE}" attach-signature -sigin "${SIGNATURE}" ${chain_options}
    -in "${UNSIGNED_EXE}" -out "${SIGNED_EXE}"
  OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE status)
if(status EQUAL 0)
  execute_process(COMMAND "${OSSLSIGNCODE}" verify ${chain_options} -in "${SIGNED_EXE}"
    OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE status)
endif()
if(NOT status EQUAL 0)
  file(REMOVE "${SIGNED_EXE}")
  # Under CPack the install goes to <package dir>/_CPack_Packages/<system>/ZIP/<name>:
  # a zip left there by an earlier run must not stand for this failed one.
  if(CMAKE_INSTALL_PREFIX MATCHES "^(.*)/_CPack_Packages/[^/]+/[^/]+/([^/]+)$")
    file(REMOVE "${CMAKE_MATCH_1}/${CMAKE_MATCH_2}.zip" "${CMAKE_MATCH_1}/${CMAKE_MATCH_2}.zip.sha256")
    file(REMOVE_RECURSE "${CMAKE_MATCH_1}/manifests")
  endif()
  string(REGEX MATCH "Current message digest *: *([0-9A-Fa-f]+)" _ "${output}")
  set(digest_in_signature "${CMAKE_MATCH_1}")
  string(REGEX MATCH "Calculated message digest *: *([0-9A-Fa-f]+)" _ "${output}")
  if(digest_in_signature AND NOT digest_in_signature STREQUAL CMAKE_MATCH_1)
    set(reason "it was made for other bytes than this build's glyphevict.exe")
  elseif(output MATCHES "certificate verify error|Verify error")
    set(reason "its certificate chain is not trusted by ${trusted_by}")
  else()
    set(reason "osslsigncode refused it")
  endif()
  string(REGEX MATCHALL "[^\n]*(rror|ailed)[^\n]*" details "${output}")
  list(JOIN details "\n  " details)
  message(FATAL_ERROR "The signature ${SIGNATURE} cannot be attached: ${reason}. "
                      "No release zip is made.\n  ${details}")
endif()
message(STATUS "Attached ${SIGNATURE} to ${SIGNED_EXE}")
