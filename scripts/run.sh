#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds the client, the simulated video server and the tools,
# starts the server on 127.0.0.1 and the client against it (the server's address and web port
# go into the client's Setting.ini, where the login window takes them from). In the login window
# press Enter: it logs in and the main window shows the live picture. Extra arguments go to vsim.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
# Configured once; afterwards the build itself runs CMake again when a CMakeLists.txt changed.
[ -f build/release/build.ninja ] ||
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
# The client and every tool the README lists under build/release/bin.
cmake --build build/release -j "$(nproc)" --target kavelin vsim m4vdec vs4dump kavelin_gallery
bin=build/release/bin

log=$(mktemp)
"$bin/vsim" --seconds 3600 "$@" >"$log" 2>&1 &
vsim_pid=$!
trap 'kill "$vsim_pid" 2>/dev/null || true; rm -f "$log"' EXIT
port=""
for _ in $(seq 50); do
  port=$(sed -n 's/.*web port \([0-9]*\),.*/\1/p' "$log")
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { cat "$log"; echo "vsim did not start" >&2; exit 1; }
head -1 "$log"
echo "vsim writes to $log (with ./scripts/run.sh --verbose every request it answers, the panel keys' RS485 frames among them): tail -f $log"

settings="$bin/Setting.ini"
[ -f "$settings" ] || printf '[ZRC604]\n' >"$settings"
sed -i -e '/^Server Name=/d' -e '/^ServerPort=/d' "$settings"
sed -i "/^\[ZRC604\]/a Server Name=127.0.0.1\nServerPort=$port" "$settings"

"$bin/kavelin"
