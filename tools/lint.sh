#!/usr/bin/env bash
# The style checks: every C++ file formatted as .clang-format says, and
# clang-tidy's checks of .clang-tidy (faults, speed, modern C++, names)
# over src/. Needs the release build's compile_commands.json.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}

git ls-files '*.cpp' '*.hpp' | xargs clang-format-14 --dry-run --Werror

# The generated files (Qt's resources and moc) are not ours to check.
run-clang-tidy-14 -p "$build" -quiet -j "$(nproc)" "^$PWD/src/" > "$build/clang-tidy.log" 2>&1 || {
  grep -a -A3 'error:' "$build/clang-tidy.log" | head -60
  echo "clang-tidy found faults; the whole report is in $build/clang-tidy.log" >&2
  exit 1
}

# The native Windows window, on the cross build's compile_commands.json when
# there is one: clang as MinGW-w64's compiler, with its C++ library.
windows=build/windows-gui
if [ -f "$windows/compile_commands.json" ]; then
  cxx=$(find /usr/lib/gcc/x86_64-w64-mingw32 -maxdepth 3 -path '*posix/include/c++' | sort -V | tail -1)
  run-clang-tidy-14 -p "$windows" -quiet -j "$(nproc)" -extra-arg=--target=x86_64-w64-mingw32 \
    -extra-arg=-isystem"$cxx" -extra-arg=-isystem"$cxx/x86_64-w64-mingw32" -extra-arg=-isystem"$cxx/backward" \
    "^$PWD/src/win32/" > "$windows/clang-tidy.log" 2>&1 || {
    grep -a -A3 'error:' "$windows/clang-tidy.log" | head -60
    echo "clang-tidy found faults in src/win32; the whole report is in $windows/clang-tidy.log" >&2
    exit 1
  }
fi
echo "clang-format and clang-tidy: clean"
