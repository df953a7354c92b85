# Installs the build into a fresh folder that already holds stand-ins for
# the other platforms' libraries, as when two platforms' builds are laid out
# together, and checks the release files and their checksums; then again
# with one platform missing.
#   -DBUILD_DIR= -DCONFIG= -DSOURCE_DIR= -DPLATFORM=(this build's, or empty)
#   -DLIBRARY=(this build's library)
set(out "${BUILD_DIR}/release_layout_test")
set(platforms win-x64 mac-arm64)

function(fail)
  message(FATAL_ERROR ${ARGN})
endfunction()

# Lays out `present` (platform folders) and checks every release file.
function(check_layout present)
  file(REMOVE_RECURSE "${out}")
  set(expected SHA256SUMS zerlin-probe.d.ts)
  foreach(p IN LISTS present)
    list(APPEND expected "${p}/zerlin-probe.uxpaddon")
    if(NOT p STREQUAL PLATFORM)
      file(WRITE "${out}/${p}/zerlin-probe.uxpaddon" "stand-in library for ${p}\n")
    endif()
  endforeach()
  execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --config "${CONFIG}"
                  --prefix "${out}" RESULT_VARIABLE rc OUTPUT_QUIET)
  if(NOT rc EQUAL 0)
    fail("install failed: ${rc}")
  endif()

  file(GLOB_RECURSE got RELATIVE "${out}" "${out}/*")
  list(SORT got)
  list(SORT expected)
  if(NOT got STREQUAL expected)
    fail("release files: ${got}\nexpected: ${expected}")
  endif()
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files
                  "${SOURCE_DIR}/types/zerlin-probe.d.ts" "${out}/zerlin-probe.d.ts" RESULT_VARIABLE rc)
  if(PLATFORM AND rc EQUAL 0)
    execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files
                    "${LIBRARY}" "${out}/${PLATFORM}/zerlin-probe.uxpaddon" RESULT_VARIABLE rc)
  endif()
  if(NOT rc EQUAL 0)
    fail("an installed file differs from the built one")
  endif()

  # Every file but the checksums is listed once, with its own SHA-256.
  file(STRINGS "${out}/SHA256SUMS" lines)
  set(listed "")
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "^([0-9a-f]+)  (.+)$")
      fail("malformed checksum line: ${line}")
    endif()
    file(SHA256 "${out}/${CMAKE_MATCH_2}" actual)
    if(NOT actual STREQUAL CMAKE_MATCH_1)
      fail("wrong checksum for ${CMAKE_MATCH_2}")
    endif()
    list(APPEND listed "${CMAKE_MATCH_2}")
  endforeach()
  list(REMOVE_ITEM expected SHA256SUMS)
  list(SORT listed)
  if(NOT listed STREQUAL expected)
    fail("checksums list: ${listed}\nexpected: ${expected}")
  endif()
endfunction()

check_layout("${platforms}")
# Only the platforms that were built: this build's own, or none of them.
check_layout("${PLATFORM}")
file(REMOVE_RECURSE "${out}")
