# CPack runs this once it has written the release zip and before it copies the
# zip out and takes its checksum. It makes the zip the same bytes from every
# build of the same commit, and writes the winget and Scoop manifests for it.
#
# The time stamp of every member is SOURCE_DATE_EPOCH when that is set (a
# distribution's rebuild), else the release date of the sources at 00:00:00
# UTC. winget's ReleaseDate is always the release date of the sources.

if(DEFINED ENV{SOURCE_DATE_EPOCH} AND NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
  if(NOT epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH must be a number of seconds, not [${epoch}]")
  endif()
  # string(TIMESTAMP) tells the time of SOURCE_DATE_EPOCH, when that is set.
  string(TIMESTAMP members_date "%Y-%m-%d %H:%M:%S UTC (SOURCE_DATE_EPOCH)" UTC)
else()
  set(epoch "${CPACK_GLYPHEVICT_RELEASE_EPOCH}")
  set(members_date "${CPACK_GLYPHEVICT_RELEASE_DATE} 00:00:00 UTC")
endif()

find_program(strip_nondeterminism strip-nondeterminism)
if(NOT strip_nondeterminism)
  message(FATAL_ERROR "strip-nondeterminism (Debian's package of that name) is needed "
                      "to make the release zip reproducible")
endif()

list(LENGTH CPACK_PACKAGE_FILES zip_count)
if(NOT zip_count EQUAL 1)
  message(FATAL_ERROR "expected one release zip, CPack made [${CPACK_PACKAGE_FILES}]")
endif()
set(zip "${CPACK_PACKAGE_FILES}")
# Members in name order, no owner ids, every time stamp the same (in UTC,
# whatever the local time zone).
execute_process(COMMAND "${strip_nondeterminism}" --type zip --timestamp "${epoch}" "${zip}"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "strip-nondeterminism failed on ${zip}: ${status}")
endif()

# The manifests, for the zip as it now is.
file(SHA256 "${zip}" SHA256)
string(TOUPPER "${SHA256}" SHA256_UPPER)
set(VERSION "${CPACK_PACKAGE_VERSION}")
set(DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION_SUMMARY}")
set(HOMEPAGE "${CPACK_GLYPHEVICT_HOMEPAGE}")
set(URL_TEMPLATE "${CPACK_GLYPHEVICT_RELEASE_URL}")
string(REPLACE "$version" "${VERSION}" URL "${URL_TEMPLATE}")
set(PACKAGE_IDENTIFIER "${CPACK_GLYPHEVICT_WINGET_ID}")
set(RELEASE_DATE "${CPACK_GLYPHEVICT_RELEASE_DATE}")

set(templates "${CPACK_GLYPHEVICT_SOURCE_DIR}/packaging")
set(manifests "${CPACK_PACKAGE_DIRECTORY}/manifests")
file(REMOVE_RECURSE "${manifests}")
# configure_file writes nothing for an @NAME@ that is unset: no manifest may
# ship with a value missing.
function(write_manifest template output)
  file(STRINGS "${templates}/${template}" references REGEX "@[A-Za-z0-9_]+@")
  string(REGEX MATCHALL "@[A-Za-z0-9_]+@" references "${references}")
  foreach(reference IN LISTS references)
    string(REPLACE "@" "" name "${reference}")
    if("${${name}}" STREQUAL "")
      file(REMOVE_RECURSE "${manifests}")
      message(FATAL_ERROR "packaging/${template}: ${reference} has no value")
    endif()
  endforeach()
  configure_file("${templates}/${template}" "${manifests}/${output}" @ONLY)
endfunction()
write_manifest(winget/version.yaml.in "winget/${PACKAGE_IDENTIFIER}.yaml")
write_manifest(winget/installer.yaml.in "winget/${PACKAGE_IDENTIFIER}.installer.yaml")
write_manifest(winget/locale.en-US.yaml.in "winget/${PACKAGE_IDENTIFIER}.locale.en-US.yaml")
write_manifest(scoop/glyphevict.json.in scoop/glyphevict.json)
message(STATUS "Release zip made reproducible, its members dated ${members_date}; "
               "manifests for the release of ${RELEASE_DATE} in ${manifests}")
if(HOMEPAGE MATCHES "\\.invalid")
  message(STATUS "The manifests hold placeholder addresses: set GLYPHEVICT_REPOSITORY "
                 "(scripts/prepare-release.sh does) before publishing them")
endif()
