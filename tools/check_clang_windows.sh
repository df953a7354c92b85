#!/usr/bin/env bash
# Compiles every project source of the Windows build once more with clang for
# the Windows target, syntax only, with warnings as close as clang comes to
# MSVC's /W4 (conversions, shadowing in all its forms, unused parameters,
# mismatched class and struct tags, unreachable code), as errors. It stands
# in for the MSVC build, which cannot run here. The file list and each
# file's definitions and include folders come from the windows preset's
# compile_commands.json; the C++ headers are those of the mingw-w64 compiler.
# Prints "clang-windows: N passed, M failed" and, when $ZERLIN_COUNTS names a
# file, appends "failed total" to it.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
root=$PWD
build=$root/build/windows
mingw=x86_64-w64-mingw32-g++-posix

# The closing line, and the counts for the test command's total.
finish() {
  echo "clang-windows: $1 passed, $2 failed${3:+ ($3)}"
  [ -n "${ZERLIN_COUNTS:-}" ] && echo "$2 $(($1 + $2))" >> "$ZERLIN_COUNTS"
  [ "$2" -eq 0 ] && [ "$1" -gt 0 ]
  exit
}

echo "== clang for the Windows target"
for tool in clang++ "$mingw"; do
  command -v "$tool" >/dev/null || finish 0 1 "$tool not found"
done
if [ ! -f "$build/compile_commands.json" ]; then
  cmake --preset windows -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null ||
    finish 0 1 "the windows preset does not configure"
fi

# The mingw-w64 C++ and C headers, without GCC's own builtin headers (clang
# brings its own).
headers=()
while read -r dir; do
  case "$dir" in
    */c++* | */x86_64-w64-mingw32/include) headers+=(-isystem "$(realpath "$dir")") ;;
  esac
done < <("$mingw" -xc++ -E -v /dev/null 2>&1 >/dev/null |
  sed -n '/^#include <...> search starts here:/,/^End of search list/p' | sed 's/^ *//')

flags=(--target=x86_64-w64-windows-gnu -std=c++17 -fsyntax-only
  -nostdinc++ -nostdlibinc "${headers[@]}"
  -Wall -Wextra -Wpedantic -Wconversion -Wshadow-all -Wno-sign-conversion
  -Wmismatched-tags -Wunreachable-code
  -Werror)

# One line per project source: the file, then its -D, -I and -isystem flags.
list=$(mktemp)
trap 'rm -f "$list"' EXIT
/usr/bin/python3 - "$build/compile_commands.json" "$root" >"$list" <<'EOF'
import json, os, shlex, sys
entries, root = json.load(open(sys.argv[1])), sys.argv[2] + "/"
seen = set()
for entry in entries:
    source = entry["file"]
    if not source.startswith(root) or source in seen:
        continue
    seen.add(source)
    args = []
    # Include folders may sit in response files (@file), relative to the
    # entry's folder.
    for arg in entry.get("arguments") or shlex.split(entry["command"]):
        if arg.startswith("@"):
            with open(os.path.join(entry["directory"], arg[1:])) as rsp:
                args += shlex.split(rsp.read())
        else:
            args.append(arg)
    keep, i = [], 0
    while i < len(args):
        arg = args[i]
        if arg in ("-I", "-D", "-isystem") and i + 1 < len(args):
            keep += [arg, args[i + 1]]
            i += 1
        elif arg.startswith(("-I", "-D")):
            keep.append(arg)
        i += 1
    print(shlex.join([source] + keep))
EOF

check_one() {
  local -a line
  eval "line=($1)"
  local out
  if out=$(clang++ "${flags[@]}" "${line[@]:1}" "${line[0]}" 2>&1); then
    echo "ok   ${line[0]#"$root"/}"
  else
    echo "FAIL ${line[0]#"$root"/}"
    echo "$out"
  fi
}
flags_serialised=$(printf '%q ' "${flags[@]}")
export -f check_one
export root flags_serialised

results=$(tr '\n' '\0' <"$list" | xargs -0 -P "$(nproc)" -I{} bash -c '
  eval "flags=($flags_serialised)"
  check_one "$1"' _ {})
echo "$results" | grep -v '^ok '
finish "$(grep -c '^ok ' <<<"$results")" "$(grep -c '^FAIL ' <<<"$results")"
