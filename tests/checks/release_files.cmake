# Checks the release files of a build: what `cmake --install` lays out, and
# the archive that CPack makes with its checksum file beside it. Both hold
# exactly the library, the typings, LICENSE, README.txt and SHA256SUMS,
# the same bytes as the build's and the source's, and checksums that hold.
# With -DTOOLCHAIN, also that they are reproducible: the sources copied to
# another folder and built there anew (tests off) give the same library,
# and the same archive when both are packed at the commit's time.
#   -DBUILD_DIR= -DCONFIG= -DSOURCE_DIR= -DPLATFORM= -DVERSION=
#   -DLIBRARY=(this build's library) -DCPACK=(the cpack program) [-DTOOLCHAIN=]
set(out "${BUILD_DIR}/release_files_test")
set(name "zerlin-probe-${VERSION}-${PLATFORM}")

function(expect_files dir)
  file(GLOB_RECURSE got LIST_DIRECTORIES false RELATIVE "${dir}" "${dir}/*")
  list(SORT got)
  set(expected ${ARGN})
  list(SORT expected)
  if(NOT got STREQUAL expected)
    message(FATAL_ERROR "files in ${dir}: ${got}\nexpected: ${expected}")
  endif()
endfunction()

function(expect_same a b)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${a}" "${b}" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${b} differs from ${a}")
  endif()
endfunction()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE log ERROR_VARIABLE log)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${ARGN}:\n${log}")
  endif()
endfunction()

# One platform's release files in `dir`.
function(check_release dir)
  expect_files("${dir}" LICENSE README.txt SHA256SUMS zerlin-probe.d.ts zerlin-probe.uxpaddon)
  expect_same("${LIBRARY}" "${dir}/zerlin-probe.uxpaddon")
  expect_same("${SOURCE_DIR}/types/zerlin-probe.d.ts" "${dir}/zerlin-probe.d.ts")
  expect_same("${SOURCE_DIR}/LICENSE" "${dir}/LICENSE")
  file(STRINGS "${dir}/README.txt" title LIMIT_COUNT 1)
  if(NOT title MATCHES "^zerlin-probe ${VERSION} for (Windows x64|Windows arm64|macOS arm64 and x86_64)$")
    message(FATAL_ERROR "README.txt begins: ${title}")
  endif()

  # Every other file is listed once, in sha256sum's format, with its own hash.
  file(STRINGS "${dir}/SHA256SUMS" lines)
  set(listed "")
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "^([0-9a-f]+)  (.+)$")
      message(FATAL_ERROR "malformed checksum line: ${line}")
    endif()
    file(SHA256 "${dir}/${CMAKE_MATCH_2}" actual)
    if(NOT actual STREQUAL CMAKE_MATCH_1)
      message(FATAL_ERROR "wrong checksum for ${CMAKE_MATCH_2}")
    endif()
    list(APPEND listed "${CMAKE_MATCH_2}")
  endforeach()
  if(NOT listed STREQUAL "LICENSE;README.txt;zerlin-probe.d.ts;zerlin-probe.uxpaddon")
    message(FATAL_ERROR "SHA256SUMS lists: ${listed}")
  endif()
endfunction()

file(REMOVE_RECURSE "${out}")
run("${CMAKE_COMMAND}" --install "${BUILD_DIR}" --config "${CONFIG}" --prefix "${out}/install")
check_release("${out}/install")

set(config_args "")
if(CONFIG)
  set(config_args -C "${CONFIG}")
endif()
# Dated at the commit, as a release is, so that packing again matches.
execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY "${SOURCE_DIR}"
  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(epoch)
  set(ENV{SOURCE_DATE_EPOCH} "${epoch}")
endif()
run("${CPACK}" --config "${BUILD_DIR}/CPackConfig.cmake" ${config_args} -B "${out}/package")
file(GLOB packages RELATIVE "${out}/package" "${out}/package/*.zip*")
if(NOT packages STREQUAL "${name}.zip;${name}.zip.sha256")
  message(FATAL_ERROR "packages: ${packages}")
endif()
file(READ "${out}/package/${name}.zip.sha256" sum)
file(SHA256 "${out}/package/${name}.zip" actual)
if(NOT sum STREQUAL "${actual}  ${name}.zip\n")
  message(FATAL_ERROR "${name}.zip.sha256 holds: ${sum}")
endif()

# The archive holds one folder named after it, with the same release files.
file(ARCHIVE_EXTRACT INPUT "${out}/package/${name}.zip" DESTINATION "${out}/unpacked")
file(GLOB top RELATIVE "${out}/unpacked" "${out}/unpacked/*")
if(NOT top STREQUAL name)
  message(FATAL_ERROR "the archive's top level: ${top}")
endif()
check_release("${out}/unpacked/${name}")
# A Windows archive holds the library of the architecture its name says.
if(PLATFORM MATCHES "^win-(.+)$")
  run("${CMAKE_COMMAND}" -DLIBRARY=${out}/unpacked/${name}/zerlin-probe.uxpaddon
      -DARCH=${CMAKE_MATCH_1} -P "${SOURCE_DIR}/tests/checks/check_pe_tables.cmake")
endif()
foreach(f LICENSE README.txt SHA256SUMS zerlin-probe.d.ts zerlin-probe.uxpaddon)
  expect_same("${out}/install/${f}" "${out}/unpacked/${name}/${f}")
endforeach()

if(TOOLCHAIN)
  execute_process(COMMAND git ls-files -co --exclude-standard WORKING_DIRECTORY "${SOURCE_DIR}"
    OUTPUT_VARIABLE tracked)
  string(REPLACE "\n" ";" tracked "${tracked}")
  set(copy "${out}/elsewhere/zerlin-probe")
  foreach(file IN LISTS tracked)
    if(EXISTS "${SOURCE_DIR}/${file}" AND NOT IS_DIRECTORY "${SOURCE_DIR}/${file}")
      get_filename_component(dir "${copy}/${file}" DIRECTORY)
      file(COPY "${SOURCE_DIR}/${file}" DESTINATION "${dir}")
    endif()
  endforeach()
  string(REPLACE "${SOURCE_DIR}" "${copy}" toolchain "${TOOLCHAIN}")
  run("${CMAKE_COMMAND}" -S "${copy}" -B "${out}/second" -DCMAKE_TOOLCHAIN_FILE=${toolchain}
      -DCMAKE_BUILD_TYPE=Release -DZERLIN_BUILD_TESTS=OFF)
  run("${CMAKE_COMMAND}" --build "${out}/second" --target zerlin_probe)
  run("${CPACK}" --config "${out}/second/CPackConfig.cmake" -B "${out}/second-package")
  foreach(pair "${LIBRARY};${out}/second/pointer/zerlin-probe.uxpaddon"
               "${out}/package/${name}.zip;${out}/second-package/${name}.zip")
    list(GET pair 0 first)
    list(GET pair 1 second)
    file(SHA256 "${first}" hash)
    message("${hash}  ${first}, and the second build's")
    expect_same("${first}" "${second}")
  endforeach()
endif()
file(REMOVE_RECURSE "${out}")
