# What a release carries from this build, laid out by `cmake --install` and
# packed by CPack (cmake/ZerlinPackage.cmake): this platform's library with
# the project's version stamped in, the typings, LICENSE, a short README.txt
# for this platform, and SHA256SUMS over those four. The install prefix
# defaults to dist/<platform>/ in the source tree, where the npm package
# (package.json) picks up the library.

# The version lives in project() alone; the copyright line in LICENSE.
file(STRINGS "${PROJECT_SOURCE_DIR}/LICENSE" ZERLIN_COPYRIGHT REGEX "^Copyright " LIMIT_COUNT 1)
if(WIN32)
  # A version resource (Explorer's Details tab) and the image version of
  # the PE header, which takes major.minor.
  enable_language(RC)
  configure_file("${CMAKE_CURRENT_LIST_DIR}/zerlin-probe.rc.in"
                 "${PROJECT_BINARY_DIR}/zerlin-probe.rc" @ONLY)
  target_sources(zerlin_probe PRIVATE "${PROJECT_BINARY_DIR}/zerlin-probe.rc")
  set_target_properties(zerlin_probe PROPERTIES
    VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}")
elseif(APPLE)
  # The Mach-O library's current and compatibility versions. Before 1.0
  # every minor version may break compatibility.
  set_target_properties(zerlin_probe PROPERTIES
    MACHO_CURRENT_VERSION "${PROJECT_VERSION}"
    MACHO_COMPATIBILITY_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0")
endif()

# A Windows library is built for x64 or arm64 and loads only into a process
# of that architecture. MSVC names the one it targets (an x64 prompt may
# cross-build arm64); other compilers go by the target system's processor.
set(ZERLIN_WINDOWS_ARCH "")
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(_zerlin_processor "${CMAKE_CXX_COMPILER_ARCHITECTURE_ID}")
  if(NOT _zerlin_processor)
    set(_zerlin_processor "${CMAKE_SYSTEM_PROCESSOR}")
  endif()
  if(_zerlin_processor MATCHES "^(x64|X64|AMD64|amd64|x86_64)$")
    set(ZERLIN_WINDOWS_ARCH x64)
  elseif(_zerlin_processor MATCHES "^(ARM64|arm64|aarch64)$")
    set(ZERLIN_WINDOWS_ARCH arm64)
  endif()
endif()

# The macOS library ships universal, arm64 and x86_64: a host that runs
# under Rosetta, or on an Intel Mac, loads it too.
set(_zerlin_dist_platform "")
set(_zerlin_osx_archs ${CMAKE_OSX_ARCHITECTURES})
list(SORT _zerlin_osx_archs)
if(ZERLIN_PLATFORM STREQUAL "windows" AND ZERLIN_WINDOWS_ARCH)
  set(_zerlin_dist_platform win-${ZERLIN_WINDOWS_ARCH})
elseif(ZERLIN_PLATFORM STREQUAL "mac" AND APPLE AND _zerlin_osx_archs STREQUAL "arm64;x86_64")
  set(_zerlin_dist_platform mac-universal)
endif()
# A Windows platform named beforehand (the msvc-arm64 preset names its own)
# must be the one the compiler builds for: a developer prompt of the other
# architecture would otherwise give a library under the wrong name.
if(ZERLIN_DIST_PLATFORM MATCHES "^win-" AND _zerlin_dist_platform MATCHES "^win-" AND
   NOT ZERLIN_DIST_PLATFORM STREQUAL _zerlin_dist_platform)
  message(FATAL_ERROR "ZERLIN_DIST_PLATFORM is ${ZERLIN_DIST_PLATFORM}, but the compiler "
    "builds for ${ZERLIN_WINDOWS_ARCH}: configure from the developer prompt of that "
    "architecture, in a fresh build folder")
endif()
set(ZERLIN_DIST_PLATFORM "${_zerlin_dist_platform}" CACHE STRING
  "Release platform of this build's library (win-x64, win-arm64, mac-universal), or empty for none")

# Only a build of a shipped platform has release files.
if(ZERLIN_DIST_PLATFORM)
  # Build folders configured when dist/ held every platform move on too.
  if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT OR
     CMAKE_INSTALL_PREFIX STREQUAL "${PROJECT_SOURCE_DIR}/dist")
    set(CMAKE_INSTALL_PREFIX "${PROJECT_SOURCE_DIR}/dist/${ZERLIN_DIST_PLATFORM}"
        CACHE PATH "Release folder" FORCE)
  endif()
  if(ZERLIN_DIST_PLATFORM MATCHES "^win-")
    set(ZERLIN_DIST_PLATFORM_NAME "Windows ${ZERLIN_WINDOWS_ARCH}")
    string(CONCAT ZERLIN_DIST_ANSWER
      "  On Windows the answer is the reading itself, {active, scale, x, y},\n"
      "  or an error value (code \"-1\"); nothing is thrown.")
  else()
    set(ZERLIN_DIST_PLATFORM_NAME "macOS arm64 and x86_64")
    string(CONCAT ZERLIN_DIST_ANSWER
      "  On macOS the answer is a promise of {active, scale, viewClass, x, y}\n"
      "  (or an error value, code \"-1\", when it cannot be set up). The\n"
      "  promise rejects with the string \"Unable to read the pointer\" when\n"
      "  the pointer could not be read, and stays pending while the host's\n"
      "  main thread is busy, for good if the host drops the queued work or\n"
      "  refuses to settle it: await it inside try, with a bound on the wait.")
  endif()
  string(REGEX REPLACE "." "=" ZERLIN_DIST_UNDERLINE
         "zerlin-probe ${PROJECT_VERSION} for ${ZERLIN_DIST_PLATFORM_NAME}")
  configure_file("${CMAKE_CURRENT_LIST_DIR}/archive-README.txt.in"
                 "${PROJECT_BINARY_DIR}/release/README.txt" @ONLY)

  install(FILES "$<TARGET_FILE:zerlin_probe>" DESTINATION .)
  install(FILES "${PROJECT_SOURCE_DIR}/types/zerlin-probe.d.ts"
                "${PROJECT_SOURCE_DIR}/LICENSE"
                "${PROJECT_BINARY_DIR}/release/README.txt"
          DESTINATION .)
  install(CODE "set(ZERLIN_DIST_DIR \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
    include(\"${CMAKE_CURRENT_LIST_DIR}/zerlin_dist_checksums.cmake\")")
endif()
