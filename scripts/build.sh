#!/usr/bin/env bash
# Configures and builds both trees: native first (host tools, core under sanitizers, fuzz targets),
# then the Windows tree, which uses the host tools to compile the shipped data.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TL_BUILD:-$root/build}
jobs=${TL_JOBS:-$(nproc)}
[ -f "$build/native/CMakeCache.txt" ] || \
  CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build/native" -j "$jobs"
[ -f "$build/win/CMakeCache.txt" ] || \
  cmake -S "$root" -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DTL_HOST_TOOLS_DIR="$build/native/tools" >/dev/null
cmake --build "$build/win" -j "$jobs"
