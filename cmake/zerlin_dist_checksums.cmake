# Writes ${ZERLIN_DIST_DIR}/SHA256SUMS over the release files there, in the
# format that `sha256sum -c` and `shasum -a 256 -c` read. Run by the
# install step, or alone:
#   cmake -DZERLIN_DIST_DIR=dist/win-x64 -P cmake/zerlin_dist_checksums.cmake
if(NOT ZERLIN_DIST_DIR)
  message(FATAL_ERROR "ZERLIN_DIST_DIR is not set")
endif()
set(_zerlin_sums "")
foreach(_zerlin_file LICENSE README.txt zerlin-probe.d.ts zerlin-probe.uxpaddon)
  if(NOT EXISTS "${ZERLIN_DIST_DIR}/${_zerlin_file}")
    message(FATAL_ERROR "${ZERLIN_DIST_DIR}/${_zerlin_file} is missing")
  endif()
  file(SHA256 "${ZERLIN_DIST_DIR}/${_zerlin_file}" _zerlin_hash)
  string(APPEND _zerlin_sums "${_zerlin_hash}  ${_zerlin_file}\n")
endforeach()
file(WRITE "${ZERLIN_DIST_DIR}/SHA256SUMS" "${_zerlin_sums}")
