#!/usr/bin/env bash
# Puts each fault of a list into the sources alone, builds, runs the tests,
# and says whether they caught it; the sources are restored after each.
# Usage: tests/faults/run.sh BUILD_FOLDER [LIST]  (from the source folder)
set -u
build=${1:?usage: run.sh BUILD_FOLDER [LIST]}
list=${2:-tests/faults/console.tsv}
caught=0 missed=0
backup=$(mktemp)
restore() { [ -n "${file:-}" ] && cp "$backup" "$file"; }
trap 'restore; rm -f "$backup"; exit 130' INT TERM
while IFS=$'\t' read -r file script what; do
  case "$file" in ''|'#'*) continue ;; esac
  cp "$file" "$backup"
  sed -i -e "$script" "$file"
  if cmp -s "$file" "$backup"; then
    echo "NOT APPLIED: $what"; missed=$((missed + 1))
  elif ! cmake --build "$build" >/dev/null 2>&1; then
    echo "DOES NOT BUILD: $what"; missed=$((missed + 1))
  elif ctest --test-dir "$build" --timeout 60 >/dev/null 2>&1; then
    echo "MISSED: $what"; missed=$((missed + 1))
  else
    echo "caught: $what"; caught=$((caught + 1))
  fi
  restore; file=
done < "$list"
rm -f "$backup"
cmake --build "$build" >/dev/null 2>&1
echo "$caught of $((caught + missed)) faults caught"
[ $((caught * 10)) -ge $((9 * (caught + missed))) ]
