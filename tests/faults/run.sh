#!/usr/bin/env bash
# Puts each fault of a list into the sources alone, builds, runs the tests,
# and says whether they caught it; the sources are restored after each.
# Usage (from the source folder): tests/faults/run.sh LIST BUILD_COMMAND TEST_COMMAND
# Exits 1 when the tests catch fewer than 9 in 10 of the faults.
set -u
list=${1:?usage: run.sh LIST BUILD_COMMAND TEST_COMMAND}
build=${2:?usage: run.sh LIST BUILD_COMMAND TEST_COMMAND}
tests=${3:?usage: run.sh LIST BUILD_COMMAND TEST_COMMAND}
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
  elif ! sh -c "$build" >/dev/null 2>&1; then
    echo "DOES NOT BUILD: $what"; missed=$((missed + 1))
  elif sh -c "$tests" >/dev/null 2>&1; then
    echo "MISSED: $what"; missed=$((missed + 1))
  else
    echo "caught: $what"; caught=$((caught + 1))
  fi
  restore; file=
done < "$list"
rm -f "$backup"
sh -c "$build" >/dev/null 2>&1
echo "$caught of $((caught + missed)) faults caught"
[ $((caught * 10)) -ge $((9 * (caught + missed))) ]
