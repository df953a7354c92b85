# Read by cpack when it packs. The archive's entries carry the time of the
# commit being packed rather than of the build, so that packing one commit
# twice gives the same bytes. SOURCE_DATE_EPOCH, when set, wins; without a
# git checkout the files keep their own times. Zip entries hold local
# times, so the packing runs in UTC wherever it runs.
set(ENV{TZ} "UTC")
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git log -1 --format=%ct
                  WORKING_DIRECTORY "${CPACK_ZERLIN_SOURCE_DIR}"
                  OUTPUT_VARIABLE _zerlin_commit_time OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE _zerlin_rc ERROR_QUIET)
  if(_zerlin_rc EQUAL 0 AND _zerlin_commit_time MATCHES "^[0-9]+$")
    set(ENV{SOURCE_DATE_EPOCH} "${_zerlin_commit_time}")
  endif()
endif()
