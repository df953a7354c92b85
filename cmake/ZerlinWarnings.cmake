# zerlin_warnings(target): all warnings on, and every warning an error.
function(zerlin_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX /permissive-)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic
      -Wshadow -Wconversion -Wno-sign-conversion -Werror)
  endif()
endfunction()
