# Writes ${ZERLIN_DIST_DIR}/SHA256SUMS over the release files present there,
# in the format `sha256sum -c` reads. Run by the install step, or alone:
#   cmake -DZERLIN_DIST_DIR=dist -P cmake/zerlin_dist_checksums.cmake
if(NOT ZERLIN_DIST_DIR)
  message(FATAL_ERROR "ZERLIN_DIST_DIR is not set")
endif()
file(GLOB _zerlin_release RELATIVE "${ZERLIN_DIST_DIR}"
  "${ZERLIN_DIST_DIR}/*/zerlin-probe.uxpaddon" "${ZERLIN_DIST_DIR}/zerlin-probe.d.ts")
list(SORT _zerlin_release)
set(_zerlin_sums "")
foreach(_zerlin_file IN LISTS _zerlin_release)
  file(SHA256 "${ZERLIN_DIST_DIR}/${_zerlin_file}" _zerlin_hash)
  string(APPEND _zerlin_sums "${_zerlin_hash}  ${_zerlin_file}\n")
endforeach()
file(WRITE "${ZERLIN_DIST_DIR}/SHA256SUMS" "${_zerlin_sums}")
message(STATUS "Checksums: ${ZERLIN_DIST_DIR}/SHA256SUMS")
