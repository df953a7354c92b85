# The release archive of this build's platform, made by CPack from the
# install rules of cmake/ZerlinDist.cmake:
#   cpack --config <build>/CPackConfig.cmake [-C Release] [-B <folder>]
# gives zerlin-probe-<version>-<platform>.zip, one folder of that name
# inside, and zerlin-probe-<version>-<platform>.zip.sha256 beside it. Its
# entries are dated at the packed commit (cmake/zerlin_cpack_time.cmake).
if(NOT ZERLIN_DIST_PLATFORM)
  return()
endif()
set(CPACK_PACKAGE_NAME "${PROJECT_NAME}")
set(CPACK_PACKAGE_VENDOR "the zerlin-probe authors")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_GENERATOR ZIP)
set(CPACK_SOURCE_GENERATOR "")
set(CPACK_PACKAGE_FILE_NAME "${PROJECT_NAME}-${PROJECT_VERSION}-${ZERLIN_DIST_PLATFORM}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_CHECKSUM SHA256)
# Archives land in the build folder's package/ unless -B says otherwise.
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}/package")
set(CPACK_ZERLIN_SOURCE_DIR "${PROJECT_SOURCE_DIR}")
set(CPACK_PROJECT_CONFIG_FILE "${CMAKE_CURRENT_LIST_DIR}/zerlin_cpack_time.cmake")
set(CPACK_VERBATIM_VARIABLES ON)
include(CPack)
