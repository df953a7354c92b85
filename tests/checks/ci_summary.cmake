# The job summary that tools/test_report.cmake writes for CI, from a JUnit
# file as CTest writes it: the totals; each failed and each skipped test by
# name; for a skipped test the lines that say why, else CTest's own reason;
# the annotations a skipped test printed, passed on to the console; and a
# line for a preset that wrote no report.
#   cmake -DSOURCE_DIR=DIR -DWORK_DIR=DIR -P ci_summary.cmake
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
file(WRITE "${WORK_DIR}/junit.xml" [=[
<?xml version="1.0" encoding="UTF-8"?>
<testsuite name="(empty)"
	tests="5"
	failures="1"
	disabled="1"
	skipped="2"
	hostname=""
	time="3"
	timestamp="2026-12-09T17:10:46"
	>
	<testcase name="Entry.Init" classname="Entry.Init" time="0.01" status="run">
		<system-out>[  PASSED  ] 1 test.
</system-out>
	</testcase>
	<testcase name="PromiseFlow.Settles&lt;int&gt;" classname="PromiseFlow.Settles&lt;int&gt;" time="0.02" status="fail">
		<failure message=""/>
		<system-out>Expected: x &amp; y
</system-out>
	</testcase>
	<testcase name="real_windows" classname="real_windows" time="9.5" status="notrun">
		<skipped message="SKIP_RETURN_CODE=77"/>
		<system-out>ok   the frame's own surface at (120, 200): active
SKIP an Edit control: the foreground stayed with &quot;ConsoleWindowClass&quot;
::warning title=real_windows skipped a case::an Edit control: the foreground stayed with "ConsoleWindowClass"
real windows: 1 passed, 0 failed, 1 skipped
</system-out>
	</testcase>
	<testcase name="typings" classname="typings" time="0.01" status="notrun">
		<skipped message="SKIP_RETURN_CODE=77"/>
		<system-out>no reason given
</system-out>
	</testcase>
	<testcase name="clang_mac" classname="clang_mac" time="0" status="disabled">
		<system-out>Disabled</system-out>
	</testcase>
</testsuite>
]=])

set(summary "${WORK_DIR}/summary.md")
file(WRITE "${summary}" "earlier steps' summary\n")
execute_process(
  COMMAND ${CMAKE_COMMAND} -DPRESET=sample -DJUNIT=${WORK_DIR}/junit.xml
          -DSUMMARY=${summary} -P ${SOURCE_DIR}/tools/test_report.cmake
  OUTPUT_VARIABLE console RESULT_VARIABLE code)
execute_process(
  COMMAND ${CMAKE_COMMAND} -DPRESET=broken -DJUNIT=${WORK_DIR}/absent.xml
          -DSUMMARY=${summary} -P ${SOURCE_DIR}/tools/test_report.cmake
  RESULT_VARIABLE code_absent)
file(READ "${summary}" written)

set(expected [=[
earlier steps' summary
### sample: 1 passed, 1 failed, 3 skipped

Failed:
- `PromiseFlow.Settles<int>`

Skipped:
- `real_windows`
  - SKIP an Edit control: the foreground stayed with "ConsoleWindowClass"
- `typings`
  - SKIP_RETURN_CODE=77
- `clang_mac`
  - Disabled

### broken: no test report

The preset failed before its tests ran: the job's log shows where, and the artifact of its logs holds the whole build log.

]=])
set(expected_console
  "::warning title=real_windows skipped a case::an Edit control: the foreground stayed with \"ConsoleWindowClass\"\n")

# The exit codes, the summary and the console, compared at once.
set(got "exit codes ${code} ${code_absent}\nsummary:\n${written}\nconsole:\n${console}")
set(want "exit codes 0 0\nsummary:\n${expected}\nconsole:\n${expected_console}")
if(NOT got STREQUAL want)
  message(FATAL_ERROR "got:\n${got}\nexpected:\n${want}")
endif()
message("the summary holds the totals, each failed and skipped test, and why")
