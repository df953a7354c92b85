# Installs the pinned Node.js packages of each folder given (npm ci from its
# package-lock.json), again only when the lock file changed since.
#   cmake -DNPM=npm -P npm_ci.cmake DIR...
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE 4 ${last})
  set(dir "${CMAKE_ARGV${i}}")
  set(stamp "${dir}/node_modules/.installed-lock.json")
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${dir}/package-lock.json" "${stamp}"
    RESULT_VARIABLE changed)
  if(changed)
    execute_process(COMMAND "${NPM}" ci --no-audit --no-fund --loglevel=error
      WORKING_DIRECTORY "${dir}" RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "npm ci in ${dir} failed")
    endif()
    file(COPY_FILE "${dir}/package-lock.json" "${stamp}")
  endif()
endforeach()
