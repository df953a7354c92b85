#!/usr/bin/env python3
"""Instructions per call of one benchmark, counted by callgrind.

    bench/instructions_per_call.py PROGRAM BENCHMARK FUNCTION

Runs BENCHMARK of the Google Benchmark PROGRAM under callgrind, collecting
only inside it, and divides the inclusive instruction count of FUNCTION (a
function called once per iteration, such as getPointer) by the number of
its calls. Unlike times, the count repeats exactly on a busy machine.
"""
import os
import re
import subprocess
import sys
import tempfile


def main():
    program, benchmark, function = sys.argv[1:4]
    fd, out = tempfile.mkstemp(suffix=".callgrind")
    os.close(fd)
    try:
        subprocess.run(
            ["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out,
             f"--toggle-collect=*{benchmark}(*", program,
             f"--benchmark_filter=^{benchmark}$", "--benchmark_min_time=0.02"],
            check=True, capture_output=True)
        names, callee, calls, cost, pending = {}, None, 0, 0, False
        with open(out) as profile:
            for line in profile:
                named = re.match(r"(c?fn)=\((\d+)\)(?: (.*))?", line)
                if named:
                    if named.group(3):
                        names[named.group(2)] = named.group(3).strip()
                    if named.group(1) == "cfn":
                        callee = names[named.group(2)]
                    continue
                counted = re.match(r"calls=(\d+)", line)
                if counted:
                    pending = function in callee
                    if pending:
                        calls += int(counted.group(1))
                    continue
                if pending:  # the inclusive cost line after calls=
                    cost += int(line.split()[1])
                    pending = False
    finally:
        os.unlink(out)
    if calls == 0:
        sys.exit(f"{function} was not called inside {benchmark}")
    print(f"{benchmark}: {cost / calls:.0f} instructions per call of "
          f"{function} ({calls} calls)")


if __name__ == "__main__":
    main()
