# The PE check on an arm64 library: a stand-in with the two entry points,
# built here by clang and lld for Windows on Arm (no C++ runtime), passes as
# arm64; it fails as x64, and the x64 library X64_LIBRARY fails as arm64,
# each with a message that names both architectures.
#   cmake -DCLANG= -DLLD_LINK= -DDLLTOOL= -DX64_LIBRARY= -DCHECK=check_pe_tables.cmake
#         -DWORK=folder -P pe_machine.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/arm64")
file(WRITE "${WORK}/stub.c" [[
__declspec(dllimport) unsigned long __stdcall GetCurrentProcessId(void);
__declspec(dllimport) void *__stdcall GetForegroundWindow(void);
__declspec(dllexport) void *uxp_addon_init(void *env) {
  return GetForegroundWindow() && GetCurrentProcessId() ? env : 0;
}
__declspec(dllexport) void uxp_addon_terminate(void) {}
]])
file(WRITE "${WORK}/kernel32.def" "LIBRARY KERNEL32.dll\nEXPORTS\nGetCurrentProcessId\n")
file(WRITE "${WORK}/user32.def" "LIBRARY USER32.dll\nEXPORTS\nGetForegroundWindow\n")

function(run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE rc
    OUTPUT_VARIABLE log ERROR_VARIABLE log)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${ARGN}:\n${log}")
  endif()
endfunction()
run("${CLANG}" --target=aarch64-pc-windows-msvc -O2 -c stub.c -o stub.obj)
run("${DLLTOOL}" -m arm64 -d kernel32.def -l kernel32.lib)
run("${DLLTOOL}" -m arm64 -d user32.def -l user32.lib)
run("${LLD_LINK}" /machine:arm64 /dll /noentry /nodefaultlib /implib:stub.lib
    /out:arm64/zerlin-probe.uxpaddon stub.obj kernel32.lib user32.lib)

# check(library arch expected-output-regex exit-code): 0 passes, 1 fails.
function(check library arch expected code)
  execute_process(COMMAND "${CMAKE_COMMAND}" -DLIBRARY=${library} -DARCH=${arch} -P "${CHECK}"
    RESULT_VARIABLE rc OUTPUT_VARIABLE log ERROR_VARIABLE log)
  string(REGEX REPLACE "[ \n]+" " " log "${log}")
  message("${arch}: ${log}")
  if(NOT rc STREQUAL code OR NOT log MATCHES "${expected}")
    message(FATAL_ERROR "expected exit code ${code} as ${arch}, matching: ${expected}")
  endif()
endfunction()
check("${WORK}/arm64/zerlin-probe.uxpaddon" arm64
  "machine: arm64 imports: kernel32.dll user32.dll exports: uxp_addon_init uxp_addon_terminate" 0)
check("${WORK}/arm64/zerlin-probe.uxpaddon" x64
  "built for arm64 \\(machine 0xaa64\\), not for x64 \\(machine 0x8664\\)" 1)
check("${X64_LIBRARY}" arm64
  "built for x64 \\(machine 0x8664\\), not for arm64 \\(machine 0xaa64\\)" 1)
file(REMOVE_RECURSE "${WORK}")
