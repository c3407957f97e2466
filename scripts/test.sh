#!/bin/sh
# Installs what Camlog needs, builds it with its tests in build/ and runs them (generates the DV
# fixtures once per build tree).
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"
ctest --test-dir build --output-on-failure -j "$(nproc)"
# As root, the permission tests again under an unprivileged user (they skip as root).
./scripts/permission-tests.sh build
