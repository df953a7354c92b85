# zerlin_gnustep: an interface target with what compiling and linking against
# GNUstep's AppKit needs, taken from gnustep-config. Its headers are system
# headers here, so that their own warnings do not fail this project's build.
find_program(GNUSTEP_CONFIG gnustep-config REQUIRED)
find_package(X11 REQUIRED)
execute_process(COMMAND ${GNUSTEP_CONFIG} --objc-flags
  OUTPUT_VARIABLE _gnustep_objc_flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${GNUSTEP_CONFIG} --gui-libs
  OUTPUT_VARIABLE _gnustep_gui_libs OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
separate_arguments(_gnustep_objc_flags UNIX_COMMAND "${_gnustep_objc_flags}")
separate_arguments(_gnustep_gui_libs UNIX_COMMAND "${_gnustep_gui_libs}")

add_library(zerlin_gnustep INTERFACE)
foreach(flag IN LISTS _gnustep_objc_flags)
  if(flag MATCHES "^-I(.+)$")
    if(NOT CMAKE_MATCH_1 STREQUAL "." AND EXISTS "${CMAKE_MATCH_1}")
      target_include_directories(zerlin_gnustep SYSTEM INTERFACE "${CMAKE_MATCH_1}")
    endif()
  elseif(flag MATCHES "^-D(.+)$")
    target_compile_definitions(zerlin_gnustep INTERFACE "${CMAKE_MATCH_1}")
  elseif(flag MATCHES "^-f|^-pthread$|^-Wno-")
    target_compile_options(zerlin_gnustep INTERFACE "$<$<COMPILE_LANGUAGE:OBJCXX>:${flag}>")
  endif()
  # Dependency files, optimisation, debug and warning levels stay the
  # project's own.
endforeach()
foreach(flag IN LISTS _gnustep_gui_libs)
  if(flag MATCHES "^-L(.+)$")
    if(EXISTS "${CMAKE_MATCH_1}")
      target_link_directories(zerlin_gnustep INTERFACE "${CMAKE_MATCH_1}")
    endif()
  elseif(flag MATCHES "^-l|^-pthread$")
    target_link_libraries(zerlin_gnustep INTERFACE "${flag}")
  endif()
endforeach()
target_link_libraries(zerlin_gnustep INTERFACE X11::X11)
