# The shipped library is reproducible: the same sources, copied to another
# folder and built there anew (tests off), give the same bytes, and so do
# both builds' archives when packed at the same commit time.
#   cmake -DSOURCE_DIR= -DBUILD_DIR= -DTOOLCHAIN= -DLIBRARY= -DCPACK= -P reproducible_build.cmake
set(work "${BUILD_DIR}/reproducible")
set(copy "${work}/elsewhere/zerlin-probe")
file(REMOVE_RECURSE "${work}")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${ARGN}:\n${out}")
  endif()
endfunction()
function(expect_same what a b)
  file(SHA256 "${a}" ha)
  file(SHA256 "${b}" hb)
  message("${ha}  ${what}\n${hb}  (from the second build)")
  if(NOT ha STREQUAL hb)
    message(FATAL_ERROR "the second build's ${what} differs")
  endif()
endfunction()

execute_process(COMMAND git ls-files -co --exclude-standard WORKING_DIRECTORY "${SOURCE_DIR}"
  OUTPUT_VARIABLE tracked RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "git ls-files failed in ${SOURCE_DIR}")
endif()
string(REPLACE "\n" ";" tracked "${tracked}")
foreach(file IN LISTS tracked)
  if(EXISTS "${SOURCE_DIR}/${file}" AND NOT IS_DIRECTORY "${SOURCE_DIR}/${file}")
    get_filename_component(dir "${copy}/${file}" DIRECTORY)
    file(COPY "${SOURCE_DIR}/${file}" DESTINATION "${dir}")
  endif()
endforeach()
string(REPLACE "${SOURCE_DIR}" "${copy}" toolchain "${TOOLCHAIN}")
run(${CMAKE_COMMAND} -S "${copy}" -B "${work}/build" -DCMAKE_TOOLCHAIN_FILE=${toolchain}
    -DCMAKE_BUILD_TYPE=Release -DZERLIN_BUILD_TESTS=OFF)
run(${CMAKE_COMMAND} --build "${work}/build" --target zerlin_probe)
expect_same(zerlin-probe.uxpaddon "${LIBRARY}" "${work}/build/pointer/zerlin-probe.uxpaddon")

execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY "${SOURCE_DIR}"
  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE)
set(ENV{SOURCE_DATE_EPOCH} "${epoch}")
foreach(build first second)
  set(dir "${BUILD_DIR}")
  if(build STREQUAL "second")
    set(dir "${work}/build")
  endif()
  run("${CPACK}" --config "${dir}/CPackConfig.cmake" -B "${work}/package-${build}")
endforeach()
file(GLOB zips RELATIVE "${work}/package-first" "${work}/package-first/*.zip")
expect_same("${zips}" "${work}/package-first/${zips}" "${work}/package-second/${zips}")
