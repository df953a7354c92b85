# The Windows library that ships is built with mingw-w64, and two builds of
# one commit give the same bytes wherever and whenever they run: no folder
# of the machine and no link time end up in it.
if(MINGW)
  # File names that the compiler records (__FILE__, debug information) are
  # written relative. The build folder usually lies inside the source
  # folder, so its mapping comes last and wins.
  add_compile_options(
    "$<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.>"
    "$<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}=build>")
  # A PE header carries the link time unless told not to; leave it zero.
  add_link_options("LINKER:--no-insert-timestamp")
endif()
