#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds the client and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/release -j "$(nproc)" --target kavelin
exec build/release/bin/kavelin "$@"
