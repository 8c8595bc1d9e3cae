#!/bin/sh
# Checks a release as it ships. Two clones of the last commit, in folders
# of different depth, each build it (the second under another umask and
# time zone): every file and archive must have the same checksum. Then the
# release of the first: its checksums hold; the Linux program has no shared
# library and the Windows one needs none beyond Windows' own; both design
# the README's example and the longest band pass byte for byte as this
# build's program does, the Linux one alone in an empty folder under an
# empty environment, the Windows one under wine; and the page passes its
# browser test against the shipped program.
# Usage (from the source folder): release/dist_check.sh BUILD WEB_BUILD,
# after `make build axe`.
set -eu
cd "$(dirname "$0")/.."
build=$(cd "${1:?usage: dist_check.sh BUILD WEB_BUILD}" && pwd)
web_build=$(cd "${2:?usage: dist_check.sh BUILD WEB_BUILD}" && pwd)
version=$(cat VERSION)
name=fir_design-$version
scratch=$(mktemp -d)
trap 'WINEPREFIX="$scratch/wine" wineserver -k 2>/dev/null; rm -rf "$scratch"' EXIT
fail() { echo "dist_check.sh: $*" >&2; exit 1; }

first="$scratch/first"
second="$scratch/a/longer/path/to/second"
git clone -q . "$first"
git clone -q . "$second"
start=$(date +%s)
(cd "$first" && release/dist.sh)
echo "make dist took $(($(date +%s) - start)) s"
(cd "$second" && umask 077 && TZ=Pacific/Kiritimati release/dist.sh)
sums() { (cd "$1/dist" && find . -type f | LC_ALL=C sort | xargs sha256sum); }
sums "$first" > "$scratch/first.sums"
sums "$second" > "$scratch/second.sums"
cat "$scratch/first.sums"
cmp -s "$scratch/first.sums" "$scratch/second.sums" \
  || { diff "$scratch/first.sums" "$scratch/second.sums" >&2; fail "two builds of one commit differ"; }
shipped="$first/dist/$name"
(cd "$shipped" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not hold"

ldd "$shipped/fir_design" 2>&1 | grep -q 'not a dynamic executable' || fail "fir_design needs a shared library"
x86_64-w64-mingw32-objdump -p "$shipped/fir_design.exe" | sed -n 's/^\tDLL Name: //p' > "$scratch/dlls"
if grep -viE '^(kernel32|msvcrt|user32|advapi32|ntdll|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll$' "$scratch/dlls"; then
  fail "fir_design.exe needs the DLLs above"
fi
grep -q "^\.TH FIR_DESIGN 1 .*\"fir_design $version\"" "$shipped/fir_design.1" || fail "the manual page does not name $version"
grep -q "fir_design $version" "$shipped/fir_design.html" || fail "the page does not name $version"

WINEPREFIX="$scratch/wine" sh tests/console/start_wine.sh
for answers in '48000\nL\n12000\n60\n101\n' '48000\nB\n3000\n6000\n80\n2049\n'; do
  for folder in expected linux windows; do rm -rf "${scratch:?}/$folder" && mkdir "$scratch/$folder"; done
  (cd "$scratch/expected" && printf "$answers" | "$build/fir_design" >/dev/null)
  cp "$shipped/fir_design" "$scratch/linux/"
  (cd "$scratch/linux" && printf "$answers" | env -i ./fir_design >/dev/null)
  cp "$shipped/fir_design.exe" "$scratch/windows/"
  (cd "$scratch/windows" && printf "$answers" | WINEPREFIX="$scratch/wine" WINEDEBUG=-all wine fir_design.exe >/dev/null)
  cmp "$scratch/expected/filter_coefficients.c" "$scratch/linux/filter_coefficients.c" \
    || fail "the shipped fir_design designs $answers otherwise"
  tr -d '\r' < "$scratch/windows/filter_coefficients.c" | cmp "$scratch/expected/filter_coefficients.c" - \
    || fail "the shipped fir_design.exe designs $answers otherwise"
done

AXE_SCRIPT="$web_build/npm/node_modules/axe-core/axe.min.js" \
  /usr/bin/python3 tests/web/web_page_test.py "$shipped/fir_design.html" "$shipped/fir_design"
echo "dist_check.sh: the release of $version is reproducible and runs as shipped"
