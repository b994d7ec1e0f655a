# The release of the Windows build: glyphevict-<version>-win64.zip with
# glyphevict.exe (signed, when a detached signature is configured), the
# replace command Update-FontFile.cmd with its Update-FontFile.ps1, README.md,
# DETAILS.md, LICENSE and THIRD-PARTY-NOTICES.txt at its top; a SHA-256
# checksum file beside it; manifests for winget and Scoop. The zip is the same
# bytes from every build of the same commit.

set(GLYPHEVICT_REPOSITORY "" CACHE STRING
  "The project's GitHub repository, owner/name, whose releases the manifests point at (placeholder addresses when empty)")
if(GLYPHEVICT_REPOSITORY STREQUAL "")
  set(homepage "https://placeholder.invalid/glyphevict")
elseif(GLYPHEVICT_REPOSITORY MATCHES "^[A-Za-z0-9_.-]+/[A-Za-z0-9_.-]+$")
  set(homepage "https://github.com/${GLYPHEVICT_REPOSITORY}")
else()
  message(FATAL_ERROR "GLYPHEVICT_REPOSITORY must read owner/name, not [${GLYPHEVICT_REPOSITORY}]")
endif()
set(GLYPHEVICT_DETACHED_SIGNATURE "" CACHE FILEPATH
  "Detached Authenticode signature (PEM) of glyphevict.exe, attached to the exe in the release zip")
set(GLYPHEVICT_SIGNATURE_CAFILE "" CACHE FILEPATH
  "Certificates to check the signature's chain and its time stamp's against, instead of the system's trusted ones")

# Seconds since 1970 at 00:00:00 UTC of the release date, a day that zip
# members can carry: MS-DOS times run from 1980 to 2107. date refuses a day
# that the calendar does not have.
if(GLYPHEVICT_RELEASE_DATE MATCHES "^(19[89][0-9]|20[0-9][0-9]|210[0-7])-[0-9][0-9]-[0-9][0-9]$")
  execute_process(COMMAND date -u -d "${GLYPHEVICT_RELEASE_DATE}" +%s
    OUTPUT_VARIABLE release_epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
if(NOT release_epoch MATCHES "^[0-9]+$")
  message(FATAL_ERROR "GLYPHEVICT_RELEASE_DATE [${GLYPHEVICT_RELEASE_DATE}] is no day between "
                      "1980-01-01 and 2107-12-31 written YYYY-MM-DD")
endif()

# The notices that the statically linked toolchain code asks to travel with
# the program, gathered from the link map and the Debian packages that
# supplied that code.
set(notices "${PROJECT_BINARY_DIR}/THIRD-PARTY-NOTICES.txt")
add_custom_command(OUTPUT "${notices}"
  COMMAND "${CMAKE_COMMAND}"
    "-DLINK_MAP=${GLYPHEVICT_LINK_MAP}"
    "-DOUTPUT=${notices}"
    "-DPROGRAM=glyphevict.exe ${PROJECT_VERSION}"
    -P "${CMAKE_CURRENT_LIST_DIR}/third_party_notices.cmake"
  DEPENDS glyphevict "${CMAKE_CURRENT_LIST_DIR}/third_party_notices.cmake"
  COMMENT "Gathering THIRD-PARTY-NOTICES.txt"
  VERBATIM)
add_custom_target(glyphevict_notices ALL DEPENDS "${notices}")

if(GLYPHEVICT_DETACHED_SIGNATURE)
  find_program(GLYPHEVICT_OSSLSIGNCODE osslsigncode REQUIRED)
  # Installing the program attaches the signature to the unsigned build.
  install(CODE "
    set(OSSLSIGNCODE \"${GLYPHEVICT_OSSLSIGNCODE}\")
    set(UNSIGNED_EXE \"$<TARGET_FILE:glyphevict>\")
    set(SIGNATURE \"${GLYPHEVICT_DETACHED_SIGNATURE}\")
    set(CAFILE \"${GLYPHEVICT_SIGNATURE_CAFILE}\")
    set(SIGNED_EXE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/glyphevict.exe\")
    include(\"${CMAKE_CURRENT_LIST_DIR}/attach_signature.cmake\")
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${SIGNED_EXE}\")")
else()
  install(TARGETS glyphevict RUNTIME DESTINATION .)
endif()
# The manuals, which the zip is often all a user has of the project, name its
# repository where the sources hold the placeholder OWNER/NAME.
foreach(manual IN ITEMS README.md DETAILS.md)
  file(READ "${PROJECT_SOURCE_DIR}/${manual}" text)
  if(NOT GLYPHEVICT_REPOSITORY STREQUAL "")
    string(REPLACE "OWNER/NAME" "${GLYPHEVICT_REPOSITORY}" text "${text}")
  endif()
  file(WRITE "${PROJECT_BINARY_DIR}/manuals/${manual}" "${text}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${manual}")
  install(FILES "${PROJECT_BINARY_DIR}/manuals/${manual}" DESTINATION .)
endforeach()
install(FILES LICENSE "${notices}" DESTINATION .)
install(FILES "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Update-FontFile.ps1"
  "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Update-FontFile.cmd" DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_SYSTEM_NAME win64)
set(CPACK_PACKAGE_FILE_NAME "${PROJECT_NAME}-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_CHECKSUM SHA256)
# Runs once the zip is written and before CPack takes its checksum.
set(CPACK_POST_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/finish_release_zip.cmake")
set(CPACK_GLYPHEVICT_SOURCE_DIR "${PROJECT_SOURCE_DIR}")
set(CPACK_GLYPHEVICT_RELEASE_DATE "${GLYPHEVICT_RELEASE_DATE}")
set(CPACK_GLYPHEVICT_RELEASE_EPOCH "${release_epoch}")
# $version stands for the version, as Scoop's autoupdate reads it; the tag is v<version>.
set(CPACK_GLYPHEVICT_RELEASE_URL
  "${homepage}/releases/download/v$version/${PROJECT_NAME}-$version-${CPACK_SYSTEM_NAME}.zip")
set(CPACK_GLYPHEVICT_HOMEPAGE "${homepage}")
set(CPACK_GLYPHEVICT_WINGET_ID "Glyphevict.Glyphevict")
include(CPack)
