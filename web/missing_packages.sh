#!/bin/sh
# Prints, on one line, the Debian packages that building the page needs and
# this machine lacks (nothing when it has them all): clang and lld for
# WebAssembly, the WASI C and C++ libraries, and the plotting library that
# the page inlines. Used by `make web` and by CI.
missing=""
need() { missing="$missing $1"; }
command -v clang >/dev/null || need clang
command -v wasm-ld >/dev/null || need lld
[ -f /usr/include/wasm32-wasi/stdio.h ] || need wasi-libc
ls /usr/lib/llvm-*/lib/clang/*/lib/wasi/libclang_rt.builtins-wasm32.a >/dev/null 2>&1 || need libclang-rt-dev-wasm32
[ -f /usr/lib/wasm32-wasi/libc++.a ] || need "libc++-dev-wasm32 libc++abi-14-dev-wasm32"
[ -f /usr/share/javascript/dygraphs/dygraph.min.js ] || need libjs-dygraphs
command -v python3 >/dev/null || need python3
echo $missing
