# GoogleTest built from source with this project's flags, so that sanitizer
# builds instrument it too, MSVC builds link the same static runtime, and
# universal macOS builds get every architecture: Debian's source in
# /usr/src/googletest, else a pinned release where the configuration asks
# (msvc and mac presets: an installed copy may hold only the machine's own
# architecture or another runtime), else an installed GoogleTest.
option(ZERLIN_FETCH_GOOGLETEST
  "Download and build GoogleTest when its source is not found, rather than use an installed copy" OFF)
if(NOT TARGET GTest::gmock_main)
  set(ZERLIN_GOOGLETEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest source tree")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  # The static MSVC runtime, as every other target here uses, also in a
  # GoogleTest whose CMake files predate the runtime library setting.
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(CMAKE_POLICY_DEFAULT_CMP0091 NEW)
  if(EXISTS "${ZERLIN_GOOGLETEST_SOURCE}/CMakeLists.txt")
    add_subdirectory(${ZERLIN_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  elseif(ZERLIN_FETCH_GOOGLETEST)
    # v1.15.2 asks for CMake 3.13 or later, which CMake 4 accepts.
    include(FetchContent)
    FetchContent_Declare(googletest
      GIT_REPOSITORY https://github.com/google/googletest.git
      GIT_TAG v1.15.2 # b514bdc898e2951020cbdca1304b75f5950d1f59
      GIT_SHALLOW TRUE)
    FetchContent_MakeAvailable(googletest)
  else()
    find_package(GTest QUIET)
    if(NOT TARGET GTest::gmock_main)
      message(FATAL_ERROR "GoogleTest not found: install it (Debian: googletest), "
        "point ZERLIN_GOOGLETEST_SOURCE at its source, or configure with "
        "-DZERLIN_FETCH_GOOGLETEST=ON to download it")
    endif()
  endif()
  if(NOT TARGET GTest::gmock_main)
    add_library(GTest::gmock_main ALIAS gmock_main)
  endif()
  # GoogleTest compiles itself with -W4 -WX under MSVC: a new compiler's new
  # warning in its code would fail the build. Its warnings are still shown;
  # the project's own targets keep -WX.
  if(MSVC)
    foreach(target gtest gtest_main gmock gmock_main)
      if(TARGET ${target})
        foreach(property COMPILE_FLAGS COMPILE_OPTIONS)
          get_target_property(flags ${target} ${property})
          if(flags)
            string(REGEX REPLACE "(^|[ ;])[-/]WX($|[ ;])" "\\1" flags "${flags}")
            set_target_properties(${target} PROPERTIES ${property} "${flags}")
          endif()
        endforeach()
      endif()
    endforeach()
  endif()
endif()
include(GoogleTest)
