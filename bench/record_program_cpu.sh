#!/bin/sh
# Records by hand with the real program under Xvfb, from a capture device
# that delivers 44100 Hz 16-bit stereo in real time (ALSA's file plugin
# reading a named pipe that a pacer fills), and prints the CPU seconds per
# hour of audio of the whole program and of its user-interface thread,
# measured over SECONDS of a running recording. (The file plugin tops a
# short read of the pipe up with silence, so the capture waits only while
# the pipe is empty: it runs near, not exactly at, real time.)
#
#   bench/record_program_cpu.sh PROGRAM [SECONDS] [FORMAT]
#
# PROGRAM: the built plumora; SECONDS default 90; FORMAT 0 WAV (default),
# 1 MP3, 2 Ogg Vorbis. Needs Xvfb, sox and python3.
set -eu
program=$(realpath "$1")
seconds=${2:-90}
format=${3:-0}
work=$(mktemp -d)
trap 'kill $feeder $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT

sox -n -r 44100 -c 2 -b 16 -e signed-integer "$work/tone.raw" synth 30 sine 440 sine 1234 vol 0.4
mkfifo "$work/capture.fifo"
cat > "$work/asound.conf" <<CONF
pcm.paced_capture {
  type file
  slave.pcm { type null }
  format "raw"
  file "/dev/null"
  infile "$work/capture.fifo"
  hint { description "Paced capture" }
}
CONF
mkdir -p "$work/config/Quillmoor" "$work/music" "$work/run"
chmod 700 "$work/run"
printf '[General]\nWaveInDriver=paced_capture\nDefaultAudioFormat=%s\nVendor=@ByteArray(\\x6)\n' "$format" \
    > "$work/config/Quillmoor/Loomstave.conf"
printf 'XDG_MUSIC_DIR="%s/music"\n' "$work" > "$work/config/user-dirs.dirs"

# The pacer: 20 ms of audio every 20 ms, looping over the tone.
python3 - "$work/tone.raw" "$work/capture.fifo" <<'PY' &
import sys, time
data = open(sys.argv[1], "rb").read()
piece = 44100 // 50 * 4
out = open(sys.argv[2], "wb", buffering=0)
due = time.monotonic()
at = 0
try:
    while True:
        out.write(data[at:at + piece])
        at = (at + piece) % len(data)
        due += 0.02
        time.sleep(max(0, due - time.monotonic()))
except BrokenPipeError:
    pass
PY
feeder=$!

Xvfb :97 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1
export DISPLAY=:97 ALSA_CONFIG_PATH="$work/asound.conf" HOME="$work" \
    XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" XDG_STATE_HOME="$work/state" \
    XDG_DATA_HOME="$work/data" XDG_CONFIG_DIRS="$work/etc-xdg"
"$program" /r &
pid=$!
sleep 5
ticks() { awk '{print $14 + $15}' "$1"; }
hz=$(getconf CLK_TCK)
all0=$(ticks /proc/$pid/stat)
ui0=$(ticks /proc/$pid/task/$pid/stat)
sleep "$seconds"
all1=$(ticks /proc/$pid/stat)
ui1=$(ticks /proc/$pid/task/$pid/stat)
ls -l "$work/music/Plumora" || true
kill -TERM $pid
wait $pid || true
awk -v a="$((all1 - all0))" -v u="$((ui1 - ui0))" -v hz="$hz" -v s="$seconds" -v f="$format" \
    'BEGIN { printf "format %d, %d s recorded: program %.1f s CPU per hour, UI thread %.1f s per hour\n", f, s, a / hz * 3600 / s, u / hz * 3600 / s }'
