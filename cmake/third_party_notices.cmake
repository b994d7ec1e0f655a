# Writes THIRD-PARTY-NOTICES.txt for a statically linked glyphevict.exe: which
# toolchain libraries the link map shows were linked in, which Debian package
# supplied each, and that package's copyright file, as dpkg recorded it.
#   cmake -DLINK_MAP=<glyphevict.map> -DOUTPUT=<file> -DPROGRAM=<name version>
#         -P third_party_notices.cmake

cmake_minimum_required(VERSION 3.25)

# What each linked toolchain file is part of. A file not named here still
# gets its package's notices, under its own name.
set(component_libstdc++.a "libstdc++, the GNU C++ standard library")
set(component_libgcc.a "libgcc, GCC's low-level runtime library")
set(component_libgcc_eh.a "${component_libgcc.a}")
set(component_crtbegin.o "${component_libgcc.a}")
set(component_crtend.o "${component_libgcc.a}")
set(component_libpthread.a "winpthreads, the POSIX threads library of mingw-w64")
set(component_libwinpthread.a "${component_libpthread.a}")
foreach(runtime_file IN ITEMS crt2.o crt2u.o libmingw32.a libmingwex.a libmsvcrt.a
                              libmoldname.a libkernel32.a libgdi32.a)
  set(component_${runtime_file}
    "the mingw-w64 runtime: start-up code, import libraries, and libmingwex with David M. Gay's gdtoa")
endforeach()

file(READ "${LINK_MAP}" map)
# Archives that gave members to the program, and objects linked whole; paths
# that are not absolute are the project's own.
string(REGEX MATCHALL "\n(/[^\n( ]+\\.a)\\(" archives "${map}")
string(REGEX MATCHALL "\nLOAD (/[^\n ]+\\.o)" objects "${map}")
set(linked_files "")
foreach(match IN LISTS archives objects)
  string(REGEX REPLACE "^\n(LOAD )?" "" path "${match}")
  string(REGEX REPLACE "\\($" "" path "${path}")
  file(REAL_PATH "${path}" path)
  list(APPEND linked_files "${path}")
endforeach()
list(REMOVE_DUPLICATES linked_files)
list(SORT linked_files)
if(NOT linked_files)
  message(FATAL_ERROR "${LINK_MAP} names no toolchain library")
endif()

# dpkg-query -S answers "package: path" for each file it knows.
execute_process(COMMAND dpkg-query -S ${linked_files}
  OUTPUT_VARIABLE owners RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "dpkg-query cannot tell which Debian package supplied every linked "
                      "library; the notices are gathered from Debian's package records.\n${errors}")
endif()
string(REPLACE "\n" ";" owners "${owners}")
set(packages "")
set(components "")
foreach(path IN LISTS linked_files)
  set(package "")
  foreach(line IN LISTS owners)
    # "package: path", or "package, other: path" where two packages ship it
    if(line MATCHES "^([^:, ]+)(, [^:]+)?: (.+)$" AND CMAKE_MATCH_3 STREQUAL path)
      set(package "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  if(NOT package)
    message(FATAL_ERROR "no Debian package owns ${path}")
  endif()
  get_filename_component(name "${path}" NAME)
  set(component "${component_${name}}")
  if(NOT component)
    set(component "${name}")
  endif()
  # The descriptions hold spaces and commas: a hash of each names its variables.
  string(MD5 key "${component}")
  if(NOT key IN_LIST components)
    list(APPEND components "${key}")
    set(component_text_${key} "${component}")
  endif()
  list(APPEND files_${key}_${package} "${name}")
  list(APPEND packages_${key} "${package}")
  list(APPEND packages "${package}")
endforeach()
list(REMOVE_DUPLICATES packages)

set(text "Third-party notices for ${PROGRAM}\n\n")
string(APPEND text
  "glyphevict.exe is linked statically: it holds code from the components below,\n"
  "taken from the Debian packages named with them. Each package's copyright and\n"
  "licence notices follow, as that package records them.\n")
foreach(key IN LISTS components)
  string(APPEND text "\n* ${component_text_${key}}\n")
  list(REMOVE_DUPLICATES packages_${key})
  foreach(package IN LISTS packages_${key})
    list(JOIN files_${key}_${package} ", " names)
    string(APPEND text "  from ${package}: ${names}\n")
  endforeach()
endforeach()

# Packages that share a copyright file (through a shared doc folder) show it once.
set(shown_copyrights "")
foreach(package IN LISTS packages)
  execute_process(COMMAND dpkg-query -W "-f=\${Version}" "${package}"
    OUTPUT_VARIABLE version RESULT_VARIABLE status)
  set(copyright "/usr/share/doc/${package}/copyright")
  if(NOT status EQUAL 0 OR NOT EXISTS "${copyright}")
    message(FATAL_ERROR "no copyright file for ${package} at ${copyright}")
  endif()
  file(REAL_PATH "${copyright}" real_copyright)
  string(APPEND text "\n\n========================================================================\n"
                     "Debian package ${package} ${version}\n")
  if(real_copyright IN_LIST shown_copyrights)
    string(APPEND text "(its copyright file is the one shown above, ${real_copyright})\n")
    continue()
  endif()
  list(APPEND shown_copyrights "${real_copyright}")
  file(READ "${copyright}" notice)
  string(APPEND text "${copyright}\n"
                     "========================================================================\n\n"
                     "${notice}")
endforeach()

file(WRITE "${OUTPUT}" "${text}")
