#!/usr/bin/env bash
# The README's road end to end, as a person walks it: vsim on 127.0.0.1 and the real client on a
# virtual X display, with the server's address and web port in the client's Setting.ini as
# scripts/run.sh puts them and MPEG-4 (or JPEG) over UDP (or TCP) chosen as the Login Setting
# window stores it. Enter in the login window logs in with the built-in user and password; three
# SNAPSHOT presses in the main window write three pictures, and for MPEG-4 each must be the clean
# picture of a frame of vsim's clip (vsim_picture_check).
#
#   readme_road_test.sh BIN_DIR CLIP_DIR mpeg4|jpeg udp|tcp
#
# The display is the first free one from :99 up (KAVELIN_TEST_DISPLAY=N takes :N). Needs Xvfb and
# xdotool (scripts/deps.sh installs them); without them the test is skipped (status 77). Every
# process it starts is stopped by its id at the end.
set -euo pipefail
bin=$1 clips=$2 format=$3 transport=$4
# The SNAPSHOT key: the fourth of the bar's 26-pixel keys, whose first is at (558, 34) in the
# window of vsim's 704x576 MPEG-4 picture and at (206, 35) in that of its 352x288 JPEG picture.
case "$format" in
  mpeg4) decode=4 bar_x=558 bar_y=34 ;;
  jpeg) decode=0 bar_x=206 bar_y=35 ;;
  *) exit 2 ;;
esac
case "$transport" in udp) transmission=0 ;; tcp) transmission=1 ;; *) exit 2 ;; esac
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
pids=()
claimed=""
stop_all() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  if [[ -n $claimed ]]; then rmdir "$claimed"; fi
  rm -rf "$work"
}
trap stop_all EXIT
fail() {
  echo "FAILED: $*" >&2
  for log in "$work"/*.log; do echo "--- $log" >&2; tail -20 "$log" >&2; done
  exit 1
}
# wait_for SECONDS COMMAND...: runs the command every 0.1 s until it succeeds.
wait_for() {
  local tenths=$(($1 * 10))
  shift
  for ((i = 0; i < tenths; ++i)); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

# A virtual display of its own, or the one KAVELIN_TEST_DISPLAY names (started when it is not
# running).
display=""
if [[ -n ${KAVELIN_TEST_DISPLAY:-} && -e /tmp/.X11-unix/X$KAVELIN_TEST_DISPLAY ]]; then
  display=":$KAVELIN_TEST_DISPLAY"
else
  for n in ${KAVELIN_TEST_DISPLAY:-$(seq 99 199)}; do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    # Roads run side by side (ctest -j) take a number each.
    mkdir "/tmp/kavelin-road-display-$n" 2>/dev/null || continue
    claimed="/tmp/kavelin-road-display-$n"
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb=$!
    if wait_for 5 test -e "/tmp/.X11-unix/X$n" && sleep 0.5 && kill -0 "$xvfb" 2>/dev/null; then
      pids+=("$xvfb")
      display=":$n"
      break
    fi
    kill "$xvfb" 2>/dev/null || true
    rmdir "$claimed"
    claimed=""
  done
fi
[[ -n $display ]] || fail "no free X display"
export DISPLAY=$display

# vsim, and the client in a program folder of its own (its Setting.ini, BMP/, snapshots).
"$bin/vsim" --seconds 120 >"$work/vsim.log" 2>&1 &
pids+=($!)
wait_for 10 grep -q "web port" "$work/vsim.log" || fail "vsim did not start"
port=$(sed -n 's/.*web port \([0-9]*\),.*/\1/p' "$work/vsim.log")
program="$work/program"
mkdir -p "$program" "$work/snapshots"
cp -r "$bin/kavelin" "$bin/CtrlFile.ini" "$bin/BMP" "$program/"
[[ -f $bin/alarm.wav ]] && cp "$bin/alarm.wav" "$program/"
printf '[ZRC604]\nServer Name=127.0.0.1\nServerPort=%s\nDecode Type=%s\nTransmission Type=%s\nSnapshot Path=%s/\n' \
  "$port" "$decode" "$transmission" "$work/snapshots" >"$program/Setting.ini"
QT_QPA_PLATFORM=xcb "$program/kavelin" >"$work/kavelin.log" 2>&1 &
pids+=($!)

# Log in: Enter in the login window.
wait_for 20 xdotool search --onlyvisible --name '^Login$' || fail "no login window"
login=$(xdotool search --onlyvisible --name '^Login$' | head -1)
timeout 10 xdotool windowfocus --sync "$login" || fail "the login window takes no focus"
xdotool key Return
wait_for 20 xdotool search --onlyvisible --name '^TELVORA' || fail "no main window after the login"
main=$(xdotool search --onlyvisible --name '^TELVORA' | head -1)

# Three snapshots once the stream is asked for (the client takes a snapshot of the next picture),
# each pressed once the one before is written.
wait_for 20 grep -q "stream requested" "$work/vsim.log" || fail "no stream request"
eval "$(xdotool getwindowgeometry --shell "$main")"
snapshots() { find "$work/snapshots" -name '*.bmp' | sort; }
for shot in 1 2 3; do
  sleep 1.1  # snapshot files are named by the time
  xdotool mousemove $((X + bar_x + 3 * 26 + 13)) $((Y + bar_y + 13)) click 1
  xdotool mousemove 0 0
  wait_for 20 test "$(snapshots | wc -l)" -ge "$shot" || fail "snapshot $shot was not written"
done
if [[ $format == mpeg4 ]]; then
  mapfile -t shots < <(snapshots)
  "$bin/vsim_picture_check" "$clips/clip_704x576.m4v" "$clips/clip_704x576.source" "${shots[@]}" ||
    fail "a snapshot is not the clean picture"
fi
echo "the road works: logged in with $format over $transport, $(snapshots | wc -l) snapshots"
