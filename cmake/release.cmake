# The release of the Windows build: glyphevict-<version>-win64.zip with
# glyphevict.exe (signed, when a detached signature is configured), README.md,
# LICENSE and THIRD-PARTY-NOTICES.txt at its top; a SHA-256 checksum file
# beside it; manifests for winget and Scoop. The zip is the same bytes from
# every build of the same commit.

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

# Seconds since 1970-01-01 00:00:00 UTC at the start (UTC) of `date`, a day
# written YYYY-MM-DD: worked out from the calendar, so that no tool, time zone
# or checkout has a say in it.
function(glyphevict_day_to_epoch date result)
  if(NOT date MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
    message(FATAL_ERROR "GLYPHEVICT_RELEASE_DATE must read YYYY-MM-DD, not [${date}]")
  endif()
  math(EXPR year "${CMAKE_MATCH_1}")
  math(EXPR month "${CMAKE_MATCH_2}")
  math(EXPR day "${CMAKE_MATCH_3}")
  set(last_day 0)
  if(month GREATER_EQUAL 1 AND month LESS_EQUAL 12)
    set(month_days 31 28 31 30 31 30 31 31 30 31 30 31)
    math(EXPR index "${month} - 1")
    list(GET month_days ${index} last_day)
    math(EXPR by4 "${year} % 4")
    math(EXPR by100 "${year} % 100")
    math(EXPR by400 "${year} % 400")
    if(month EQUAL 2 AND by4 EQUAL 0 AND (NOT by100 EQUAL 0 OR by400 EQUAL 0))
      set(last_day 29)
    endif()
  endif()
  # Zip members carry MS-DOS times, which run from 1980 to 2107.
  if(year LESS 1980 OR year GREATER 2107 OR day LESS 1 OR day GREATER last_day)
    message(FATAL_ERROR "GLYPHEVICT_RELEASE_DATE [${date}] is no day between 1980-01-01 "
                        "and 2107-12-31")
  endif()
  # Days counted in years that begin in March, so that a leap day ends its year
  # (y; m is the month from March, 0, to February, 11): whole 400-year cycles
  # of 146097 days, the years before y in its cycle with their leap days, the
  # months before m, the day; less the 719468 days from 0000-03-01 to 1970-01-01.
  math(EXPR y "${year} - (14 - ${month}) / 12")
  math(EXPR m "(${month} + 9) % 12")
  math(EXPR days "${y} / 400 * 146097 + ${y} % 400 * 365 + ${y} % 400 / 4
    - ${y} % 400 / 100 + (153 * ${m} + 2) / 5 + ${day} - 1 - 719468")
  math(EXPR seconds "${days} * 86400")
  set(${result} ${seconds} PARENT_SCOPE)
endfunction()
glyphevict_day_to_epoch("${GLYPHEVICT_RELEASE_DATE}" release_epoch)

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
install(FILES README.md LICENSE "${notices}" DESTINATION .)

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
