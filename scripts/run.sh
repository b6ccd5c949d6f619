#!/bin/sh
# Builds Velmor Sound Recorder and starts it.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
if [ -x build/recorder/app/recorder ]; then
    exec build/recorder/app/recorder "$@"
fi
echo "The recorder window is not built yet: the libraries and their tests are."
