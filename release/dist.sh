#!/bin/sh
# Builds a release from the last commit into dist/: the folder
# fir_design-VERSION/ (the static Linux program, the static Windows program,
# the page, the manual page, README, LICENSE and SHA256SUMS), its .tar.gz
# beside it, and the source archive fir_design-VERSION-source.tar.gz.
# Everything is a function of the commit alone: times are the commit's
# (SOURCE_DATE_EPOCH), paths are mapped away, archives are sorted and owned
# by 0, so two builds from two clones give the same bytes.
# Usage (from the source folder): release/dist.sh
set -eu
cd "$(dirname "$0")/.."
version=$(cat VERSION)
case "$version" in
  [0-9]*.[0-9]*.[0-9]*) ;;
  *) echo "dist.sh: VERSION holds '$version', not a version such as 1.0.0" >&2; exit 1 ;;
esac
if ! grep -q "^Release $version\\b" README.md; then
  echo "dist.sh: the README's release line does not name $version, the version in VERSION" >&2
  exit 1
fi
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "dist.sh: the work tree has uncommitted changes; a release is built from a commit" >&2
  exit 1
fi
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH
jobs=$(nproc 2>/dev/null || echo 2)
name=fir_design-$version
builds=build-dist
release="cmake --no-warn-unused-cli -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DFIR_DESIGN_RELEASE=ON \
  -DFIR_DESIGN_WERROR=ON"

$release -S . -B $builds/linux >/dev/null
cmake --build $builds/linux -j"$jobs" --target fir_design >/dev/null
$release -S . -B $builds/windows --toolchain cmake/x86_64-w64-mingw32.cmake >/dev/null
cmake --build $builds/windows -j"$jobs" --target fir_design >/dev/null
$release -S . -B $builds/web --toolchain cmake/wasm32-wasi.cmake >/dev/null
cmake --build $builds/web -j"$jobs" >/dev/null

rm -rf dist
mkdir -p "dist/$name"
chmod 0755 "dist/$name"
install -m 0755 $builds/linux/fir_design $builds/windows/fir_design.exe "dist/$name/"
install -m 0644 $builds/web/fir_design.html $builds/linux/fir_design.1 README.md LICENSE "dist/$name/"
(cd "dist/$name" && sha256sum fir_design fir_design.1 fir_design.exe fir_design.html LICENSE README.md > SHA256SUMS)
chmod 0644 "dist/$name/SHA256SUMS"
find "dist/$name" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
tar --sort=name --owner=0 --group=0 --numeric-owner --mtime="@$SOURCE_DATE_EPOCH" --format=gnu \
    -C dist -cf - "$name" | gzip -n -9 > "dist/$name.tar.gz"
git archive --format=tar --prefix="$name/" HEAD | gzip -n -9 > "dist/$name-source.tar.gz"
(cd dist && sha256sum "$name.tar.gz" "$name-source.tar.gz")
