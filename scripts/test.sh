#!/bin/sh
# Builds Velmor Sound Recorder twice (plain, and with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every test in both builds. The tests
# start their own private sound server and, where needed, their own X server.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh --test
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
(cd build && ctest --output-on-failure -j "$jobs")

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMOR_SANITIZE=ON -DVELMOR_BENCH=OFF -DVELMOR_REGISTER=OFF
cmake --build build-sanitize
(cd build-sanitize && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j "$jobs")
