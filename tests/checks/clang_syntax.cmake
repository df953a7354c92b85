# Compiles every source of the project that BUILD_DIR/compile_commands.json
# lists once more with clang-check, syntax only: each with its own flags
# from the database, plus ARGS. Fails on any error or warning.
#   cmake -DCLANG_CHECK= -DBUILD_DIR= -DSOURCE_DIR= -DARGS="a;b" -P clang_syntax.cmake
file(READ "${BUILD_DIR}/compile_commands.json" database)
string(JSON count LENGTH "${database}")
math(EXPR last "${count} - 1")
set(files "")
foreach(i RANGE ${last})
  string(JSON file GET "${database}" ${i} file)
  string(FIND "${file}" "${SOURCE_DIR}/" at)
  if(at EQUAL 0)
    list(APPEND files "${file}")
  endif()
endforeach()
list(REMOVE_DUPLICATES files)
list(TRANSFORM ARGS PREPEND "--extra-arg=")
execute_process(COMMAND "${CLANG_CHECK}" -p "${BUILD_DIR}" ${ARGS} --extra-arg=-Werror ${files}
  RESULT_VARIABLE rc)
list(LENGTH files n)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "clang: errors in the ${n} sources above")
endif()
message("clang: ${n} sources compile cleanly")
