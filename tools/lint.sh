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
echo "clang-format and clang-tidy: clean"
