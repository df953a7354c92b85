# GoogleTest built from source with this project's flags, so that sanitizer
# builds instrument it too. Debian ships the source in /usr/src/googletest;
# elsewhere an installed GoogleTest is used, and only where the configuration
# allows it (the hosted Windows and macOS presets) is one downloaded.
option(ZERLIN_FETCH_GOOGLETEST
  "Download GoogleTest when neither its source nor an installed copy is found" OFF)
if(NOT TARGET GTest::gmock_main)
  set(ZERLIN_GOOGLETEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest source tree")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  # The static MSVC runtime, as every other target here uses, also in a
  # GoogleTest whose CMake files predate the runtime library setting.
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(CMAKE_POLICY_DEFAULT_CMP0091 NEW)
  if(EXISTS "${ZERLIN_GOOGLETEST_SOURCE}/CMakeLists.txt")
    add_subdirectory(${ZERLIN_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  else()
    find_package(GTest QUIET)
    if(NOT TARGET GTest::gmock_main AND ZERLIN_FETCH_GOOGLETEST)
      include(FetchContent)
      FetchContent_Declare(googletest
        GIT_REPOSITORY https://github.com/google/googletest.git
        GIT_TAG v1.15.2
        GIT_SHALLOW TRUE)
      FetchContent_MakeAvailable(googletest)
    elseif(NOT TARGET GTest::gmock_main)
      message(FATAL_ERROR "GoogleTest not found: install it (Debian: googletest), "
        "point ZERLIN_GOOGLETEST_SOURCE at its source, or configure with "
        "-DZERLIN_FETCH_GOOGLETEST=ON to download it")
    endif()
  endif()
  if(NOT TARGET GTest::gmock_main)
    add_library(GTest::gmock_main ALIAS gmock_main)
  endif()
endif()
include(GoogleTest)
