# Release layout, made by `cmake --install`:
#   <prefix>/win-x64/zerlin-probe.uxpaddon     from a Windows x64 build
#   <prefix>/mac-arm64/zerlin-probe.uxpaddon   from a macOS arm64 build
#   <prefix>/zerlin-probe.d.ts
#   <prefix>/SHA256SUMS                        over every file above present
# Installing a second platform's build into the same prefix adds its folder
# and renews the checksums. The prefix defaults to dist/ in the source tree.
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
  set(CMAKE_INSTALL_PREFIX "${PROJECT_SOURCE_DIR}/dist" CACHE PATH "Release folder" FORCE)
endif()

set(_zerlin_dist_platform "")
if(ZERLIN_FLOW STREQUAL "sync" AND WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(_zerlin_dist_platform win-x64)
elseif(ZERLIN_FLOW STREQUAL "promise" AND APPLE AND
       (CMAKE_OSX_ARCHITECTURES STREQUAL "arm64" OR
        (NOT CMAKE_OSX_ARCHITECTURES AND CMAKE_SYSTEM_PROCESSOR STREQUAL "arm64")))
  set(_zerlin_dist_platform mac-arm64)
endif()
set(ZERLIN_DIST_PLATFORM "${_zerlin_dist_platform}" CACHE STRING
  "Release folder for this build's library (win-x64, mac-arm64), or empty for none")

if(ZERLIN_DIST_PLATFORM)
  install(FILES "$<TARGET_FILE:zerlin_probe>" DESTINATION "${ZERLIN_DIST_PLATFORM}")
endif()
install(FILES "${PROJECT_SOURCE_DIR}/types/zerlin-probe.d.ts" DESTINATION .)
install(CODE "set(ZERLIN_DIST_DIR \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
  include(\"${CMAKE_CURRENT_LIST_DIR}/zerlin_dist_checksums.cmake\")")
