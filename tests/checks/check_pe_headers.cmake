# Reads glyphevict.exe's headers with the toolchain's objdump and checks its
# hardening: ASLR with relocations and high entropy, DEP, an image base above
# 4 GiB, no writable section that is also executable or shared, no symbols,
# a console subsystem, and imports from system DLLs only.
#   cmake -DOBJDUMP=<objdump> -DEXE=<glyphevict.exe> -P check_pe_headers.cmake

function(objdump option result_variable)
  execute_process(COMMAND "${OBJDUMP}" ${option} "${EXE}"
    OUTPUT_VARIABLE output RESULT_VARIABLE status)
  if(NOT status STREQUAL "0")
    message(FATAL_ERROR "${OBJDUMP} ${option} failed: ${status}")
  endif()
  set(${result_variable} "${output}" PARENT_SCOPE)
endfunction()

function(expect condition_text)
  if(NOT (${ARGN}))
    message(SEND_ERROR "expected: ${condition_text}")
  endif()
endfunction()

objdump(-p private_headers)

# Header fields are printed in hexadecimal.
string(REGEX MATCH "\nCharacteristics[ \t]+0x([0-9a-fA-F]+)" _ "${private_headers}")
math(EXPR relocations_stripped "0x${CMAKE_MATCH_1} & 0x1")
string(REGEX MATCH "\nDllCharacteristics[ \t]+([0-9a-fA-F]+)" _ "${private_headers}")
set(dll_characteristics "0x${CMAKE_MATCH_1}")
math(EXPR high_entropy_va "${dll_characteristics} & 0x20")
math(EXPR dynamic_base "${dll_characteristics} & 0x40")
math(EXPR nx_compatible "${dll_characteristics} & 0x100")
string(REGEX MATCH "\nImageBase[ \t]+([0-9a-fA-F]+)" _ "${private_headers}")
math(EXPR base_above_4_gib "0x${CMAKE_MATCH_1} >> 32")
string(REGEX MATCH "Entry 5 [0-9a-fA-F]+ ([0-9a-fA-F]+) Base Relocation Directory"
  _ "${private_headers}")
math(EXPR relocation_bytes "0x0${CMAKE_MATCH_1}")
string(REGEX MATCH "\nSubsystem[ \t]+([0-9a-fA-F]+)" _ "${private_headers}")
set(subsystem "${CMAKE_MATCH_1}")

expect("dynamic base (ASLR)" dynamic_base)
expect("high-entropy ASLR" high_entropy_va)
expect("NX compatible (DEP)" nx_compatible)
expect("image base above 4 GiB" base_above_4_gib)
expect("relocations kept for ASLR" NOT relocations_stripped AND relocation_bytes GREATER 0)
expect("the console subsystem (3), not ${subsystem}" subsystem STREQUAL "00000003")

string(REGEX MATCHALL "DLL Name: [^\n]+" import_lines "${private_headers}")
set(imports "")
foreach(line IN LISTS import_lines)
  string(REPLACE "DLL Name: " "" dll "${line}")
  string(TOUPPER "${dll}" dll)
  list(APPEND imports "${dll}")
endforeach()
list(SORT imports)
list(JOIN imports "," imports)
expect("imports from GDI32, KERNEL32 and msvcrt only, not [${imports}]"
  imports STREQUAL "GDI32.DLL,KERNEL32.DLL,MSVCRT.DLL")

# Each section's name is followed by a line of its flags; a loaded section
# without READONLY is writable.
objdump(-h section_headers)
string(REGEX MATCHALL " [0-9]+ ([^ ]+) [^\n]*\n[ \t]+[A-Z, _]+" sections "${section_headers}")
foreach(section IN LISTS sections)
  string(REGEX MATCH " [0-9]+ ([^ ]+)" _ "${section}")
  set(name "${CMAKE_MATCH_1}")
  string(REGEX MATCH "\n[ \t]+([A-Z, _]+)" _ "${section}")
  set(flags "${CMAKE_MATCH_1}")
  if(flags MATCHES "ALLOC" AND NOT flags MATCHES "READONLY")
    expect("writable section ${name} not executable (${flags})" NOT flags MATCHES "CODE")
    expect("writable section ${name} not shared (${flags})" NOT flags MATCHES "SHARED")
  endif()
  expect("no debugging section, found ${name}" NOT flags MATCHES "DEBUGGING")
endforeach()
list(LENGTH sections section_count)
message(STATUS "${section_count} sections; imports ${imports}")
expect("section headers read, found ${section_count}" section_count GREATER 3)

objdump(-t symbols)
expect("no symbol table" symbols MATCHES "no symbols")
