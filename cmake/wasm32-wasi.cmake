# Builds the design core as a WebAssembly module for the page, with Debian's
# clang and WASI C library (packages clang, lld, wasi-libc,
# libclang-rt-dev-wasm32, libc++-dev-wasm32, libc++abi-14-dev-wasm32):
#   cmake -S . -B build-web --toolchain cmake/wasm32-wasi.cmake
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR wasm32)

set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET wasm32-wasi)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
# A module that runs nothing by itself: the page calls its exported functions.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-mexec-model=reactor -Wl,--strip-debug")
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
