# Makes the release zip with CPack into a folder of its own and checks it:
# its name, its checksum file, that it holds exactly glyphevict.exe, README.md
# and LICENSE, and that its glyphevict.exe is the file the build made.
#   cmake -DCPACK=<cpack> -DCPACK_CONFIG=<CPackConfig.cmake> -DPACKAGE=<zip name>
#         -DBUILT_EXE=<glyphevict.exe> -DWORK_DIR=<dir> -P check_package.cmake

file(REMOVE_RECURSE "${WORK_DIR}")
execute_process(COMMAND "${CPACK}" --config "${CPACK_CONFIG}" -B "${WORK_DIR}"
  OUTPUT_QUIET RESULT_VARIABLE status)
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "cpack failed: ${status}")
endif()

set(zip "${WORK_DIR}/${PACKAGE}")
if(NOT EXISTS "${zip}" OR NOT EXISTS "${zip}.sha256")
  message(FATAL_ERROR "expected ${PACKAGE} and ${PACKAGE}.sha256 in ${WORK_DIR}")
endif()

# The checksum file reads as sha256sum writes it: "<hash>  <file name>".
file(SHA256 "${zip}" zip_hash)
file(READ "${zip}.sha256" checksum_line)
if(NOT checksum_line STREQUAL "${zip_hash}  ${PACKAGE}\n")
  message(SEND_ERROR "checksum file holds [${checksum_line}], expected [${zip_hash}  ${PACKAGE}]")
endif()

set(unpacked "${WORK_DIR}/unpacked")
file(ARCHIVE_EXTRACT INPUT "${zip}" DESTINATION "${unpacked}")
file(GLOB_RECURSE contents LIST_DIRECTORIES true RELATIVE "${unpacked}" "${unpacked}/*")
list(SORT contents)
if(NOT contents STREQUAL "LICENSE;README.md;glyphevict.exe")
  message(SEND_ERROR "the zip holds [${contents}], expected [LICENSE;README.md;glyphevict.exe]")
endif()

file(SHA256 "${BUILT_EXE}" built_hash)
file(SHA256 "${unpacked}/glyphevict.exe" zipped_hash)
if(NOT zipped_hash STREQUAL built_hash)
  message(SEND_ERROR "the zipped glyphevict.exe differs from ${BUILT_EXE}")
endif()
