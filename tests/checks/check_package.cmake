# Makes the release zip with CPack into a folder of its own and checks it:
# its name, its checksum file, that it holds exactly glyphevict.exe,
# Update-FontFile.cmd and .ps1, README.md, DETAILS.md, LICENSE and
# THIRD-PARTY-NOTICES.txt, that its glyphevict.exe and replace command are the
# files the build made, that the notices cover the toolchain libraries
# linked in, and that the winget and Scoop manifests describe this zip.
# SOURCE_DATE_EPOCH, as a distribution's rebuild sets it, dates the zip's
# members.
#   cmake -DCPACK=<cpack> -DCPACK_CONFIG=<CPackConfig.cmake> -DPACKAGE=<zip name>
#         -DVERSION=<version> -DBUILT_EXE=<glyphevict.exe> -DSIGNED=<bool>
#         -DWORK_DIR=<dir> -P check_package.cmake

set(source_date_epoch 1234567890)
file(REMOVE_RECURSE "${WORK_DIR}")
execute_process(
  COMMAND "${CMAKE_COMMAND}" -E env SOURCE_DATE_EPOCH=${source_date_epoch}
    "${CPACK}" --config "${CPACK_CONFIG}" -B "${WORK_DIR}"
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
set(expected_contents DETAILS.md LICENSE README.md THIRD-PARTY-NOTICES.txt Update-FontFile.cmd
  Update-FontFile.ps1 glyphevict.exe)
if(NOT contents STREQUAL expected_contents)
  message(SEND_ERROR "the zip holds [${contents}], expected [${expected_contents}]")
endif()

# The replace command as the tests beside the build's glyphevict.exe run it,
# every line ending in CRLF, as cmd.exe and Windows PowerShell read it.
cmake_path(GET BUILT_EXE PARENT_PATH programs)
foreach(script IN ITEMS Update-FontFile.cmd Update-FontFile.ps1)
  file(SHA256 "${programs}/${script}" tested_hash)
  file(SHA256 "${unpacked}/${script}" zipped_hash)
  # Bytes in hex, a space after each, so that no match spans two bytes.
  file(READ "${unpacked}/${script}" bytes HEX)
  string(REGEX REPLACE "(..)" "\\1 " bytes "${bytes}")
  string(REPLACE "0d 0a " "" bytes "${bytes}")
  if(NOT zipped_hash STREQUAL tested_hash OR bytes MATCHES "0a ")
    message(SEND_ERROR "the zip's ${script} is not ${programs}/${script}, or has a line without CRLF")
  endif()
endforeach()

set(zipped_exe "${unpacked}/glyphevict.exe")
if(SIGNED)
  # A build configured with the release's signature zips the signed exe.
  execute_process(COMMAND osslsigncode remove-signature -in "${zipped_exe}"
    -out "${WORK_DIR}/unsigned.exe" OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  set(zipped_exe "${WORK_DIR}/unsigned.exe")
endif()
file(SHA256 "${BUILT_EXE}" built_hash)
file(SHA256 "${zipped_exe}" zipped_hash)
if(NOT zipped_hash STREQUAL built_hash)
  message(SEND_ERROR "the zipped glyphevict.exe differs from ${BUILT_EXE}")
endif()
file(TIMESTAMP "${unpacked}/glyphevict.exe" zipped_time "%s" UTC)
if(NOT zipped_time STREQUAL source_date_epoch)
  message(SEND_ERROR "glyphevict.exe is dated [${zipped_time}] in the zip, "
                     "not SOURCE_DATE_EPOCH ${source_date_epoch}")
endif()

# The notices name the libraries the static exe carries, and hold the
# copyright file of every package they name.
file(READ "${unpacked}/THIRD-PARTY-NOTICES.txt" notices)
string(REGEX REPLACE "\n=====.*" "" notices_header "${notices}")
foreach(library IN ITEMS libstdc++.a libgcc.a libpthread.a libmingwex.a)
  string(FIND "${notices_header}" " ${library}" at)
  if(at EQUAL -1)
    message(SEND_ERROR "THIRD-PARTY-NOTICES.txt does not name ${library}:\n${notices_header}")
  endif()
endforeach()
string(REGEX MATCHALL "\n  from [^:\n]+:" named_packages "${notices}")
foreach(match IN LISTS named_packages)
  string(REGEX REPLACE "^\n  from |:$" "" package "${match}")
  file(READ "/usr/share/doc/${package}/copyright" copyright)
  string(FIND "${notices}" "${copyright}" at)
  if(at EQUAL -1)
    message(SEND_ERROR "THIRD-PARTY-NOTICES.txt lacks the copyright file of ${package}")
  endif()
endforeach()
if(NOT named_packages)
  message(SEND_ERROR "THIRD-PARTY-NOTICES.txt names no package")
endif()

# The manifests agree with the zip: version, checksum, download name, program.
# winget's are parsed as YAML by Debian's python3-yaml, with Debian's python3
# (another may come first on the PATH), and read from the JSON it makes of
# them: a value that YAML reads as a date or number, not a string, fails.
string(TOUPPER "${zip_hash}" zip_hash_upper)
set(winget "${WORK_DIR}/manifests/winget/Glyphevict.Glyphevict")
# The installer manifest comes last: its JSON is read after the loop.
foreach(manifest IN ITEMS "${winget}.yaml" "${winget}.locale.en-US.yaml" "${winget}.installer.yaml")
  execute_process(COMMAND /usr/bin/python3 -c
      "import json, sys, yaml; print(json.dumps(yaml.safe_load(open(sys.argv[1], encoding='utf-8'))))"
      "${manifest}" OUTPUT_VARIABLE json ERROR_VARIABLE yaml_error RESULT_VARIABLE status)
  string(JSON id ERROR_VARIABLE error GET "${json}" PackageIdentifier)
  string(JSON version_type ERROR_VARIABLE error TYPE "${json}" PackageVersion)
  string(JSON version ERROR_VARIABLE error GET "${json}" PackageVersion)
  if(NOT status STREQUAL "0" OR NOT id STREQUAL "Glyphevict.Glyphevict"
     OR NOT version_type STREQUAL "STRING" OR NOT version STREQUAL VERSION)
    message(SEND_ERROR "${manifest} is not YAML that names Glyphevict.Glyphevict \"${VERSION}\":\n"
                       "${yaml_error}${json}")
  endif()
endforeach()
string(JSON sha256 ERROR_VARIABLE error GET "${json}" Installers 0 InstallerSha256)
string(JSON url ERROR_VARIABLE error GET "${json}" Installers 0 InstallerUrl)
string(JSON installed ERROR_VARIABLE error GET "${json}" NestedInstallerFiles 0 RelativeFilePath)
string(JSON date ERROR_VARIABLE error GET "${json}" ReleaseDate)
if(NOT sha256 STREQUAL zip_hash_upper OR NOT url MATCHES "/${PACKAGE}$"
   OR NOT installed STREQUAL "glyphevict.exe"
   OR NOT date MATCHES "^[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]$")
  message(SEND_ERROR "the winget installer manifest does not describe ${PACKAGE}:\n${json}")
endif()
file(READ "${WORK_DIR}/manifests/scoop/glyphevict.json" scoop)
string(JSON scoop_version GET "${scoop}" version)
string(JSON scoop_hash GET "${scoop}" architecture 64bit hash)
string(JSON scoop_url GET "${scoop}" architecture 64bit url)
string(JSON scoop_bin GET "${scoop}" bin 0)
string(JSON scoop_command GET "${scoop}" bin 1)
if(NOT scoop_version STREQUAL VERSION OR NOT scoop_hash STREQUAL zip_hash
   OR NOT scoop_url MATCHES "/${PACKAGE}$" OR NOT scoop_bin STREQUAL "glyphevict.exe"
   OR NOT scoop_command STREQUAL "Update-FontFile.cmd")
  message(SEND_ERROR "the Scoop manifest does not describe ${PACKAGE}:\n${scoop}")
endif()
