#!/bin/bash
# Records by hand with the real program under Xvfb, from a capture device
# that delivers 44100 Hz 16-bit stereo in real time as a sound card does
# (bench/paced_capture.sh), and prints the CPU seconds per hour of audio of
# the whole program and of its user-interface thread, measured over SECONDS
# of a running recording, once per format (a fresh start of the program for
# each).
#
#   bench/record_program_cpu.sh PROGRAM [SECONDS] [FORMAT...]
#
# PROGRAM: the built plumora; SECONDS default 90; FORMAT 0 WAV, 1 MP3, 2 Ogg
# Vorbis (default: all three). Needs Xvfb and what paced_capture.sh needs
# (scripts/install-deps.sh --bench).
set -euo pipefail
program=$(realpath "$1")
seconds=${2:-90}
shift $(($# < 2 ? $# : 2))
formats=("$@")
[ ${#formats[@]} -gt 0 ] || formats=(0 1 2)
here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
xvfb=
pid=
cleanup() {
    [ -z "$pid" ] || kill -TERM "$pid" 2>/dev/null || true
    [ -z "$xvfb" ] || kill -TERM "$xvfb" 2>/dev/null || true
    "$here/paced_capture.sh" stop "$work/capture" || true
    rm -rf "$work"
}
trap cleanup EXIT

"$here/paced_capture.sh" start "$work/capture"

# A display of its own (Xvfb picks a free number).
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
display=:$(cat "$work/display")

# The program's settings: no radio, the paced device, the format to record,
# and the formats of the bench: WAV 44100 Hz 16-bit stereo, MP3 128 kbit/s
# and Vorbis 64 kbit/s, both 44100 Hz stereo. Binary values as QSettings
# writes them, each byte escaped.
write_settings() {
    python3 - "$1" "$2" <<'PY'
import struct, sys

def binary(data):
    return "@ByteArray(" + "".join(f"\\x{b:02x}" for b in data) + ")"

def wave_format(tag, channels, rate, per_second, align, bits, extra=b""):
    return struct.pack("<HHIIHHH", tag, channels, rate, per_second, align, bits, len(extra)) + extra

# MPEG audio, padding as the standard has it, bytes per frame, one frame per
# block, the encoder's delay in samples.
mp3_extra = struct.pack("<HIHHH", 1, 0, 144000 * 128 // 44100, 1, 1105)
values = {
    "Vendor": binary(b"\x06"),
    "WaveInDriver": "paced_capture",
    "DefaultAudioFormat": binary(bytes([int(sys.argv[2])])),
    "Stereo": binary(b"\x01"),
    "SampleRate": "44100",
    "Resolution": binary(b"\x01"),
    "WaveFormat": binary(wave_format(1, 2, 44100, 176400, 4, 16)),
    "Mp3Stereo": binary(b"\x01"),
    "Mp3SampleRate": "44100",
    "Mp3Format": binary(wave_format(85, 2, 44100, 16000, 1, 0, mp3_extra)),
    "VorStereo": binary(b"\x01"),
    "VorSampleRate": "44100",
    "VorBitRate": "64000",
}
with open(sys.argv[1], "w") as out:
    out.write("[General]\n" + "".join(f"{k}={v}\n" for k, v in values.items()))
PY
}

ticks() { awk '{print $14 + $15}' "$1"; }
hz=$(getconf CLK_TCK)
recorded() { find "$1" -type f -printf '%s\n' | awk '{ n += $1 } END { print n + 0 }'; }
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for format in "${formats[@]}"; do
    home="$work/home-$format"
    mkdir -p "$home/config/Quillmoor" "$home/music" "$home/run"
    chmod 700 "$home/run"
    write_settings "$home/config/Quillmoor/Loomstave.conf" "$format"
    printf 'XDG_MUSIC_DIR="%s/music"\n' "$home" >"$home/config/user-dirs.dirs"
    DISPLAY=$display ALSA_CONFIG_PATH="$work/capture/asound.conf" HOME="$home" \
        XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/run" XDG_STATE_HOME="$home/state" \
        XDG_DATA_HOME="$home/data" XDG_CONFIG_DIRS="$home/etc-xdg" "$program" /r &
    pid=$!
    sleep 5
    all0=$(ticks /proc/$pid/stat)
    ui0=$(ticks /proc/$pid/task/$pid/stat)
    bytes0=$(recorded "$home/music")
    sleep "$seconds"
    all1=$(ticks /proc/$pid/stat)
    ui1=$(ticks /proc/$pid/task/$pid/stat)
    bytes1=$(recorded "$home/music")
    kill -TERM $pid
    wait $pid || true
    pid=
    # The recording itself, to see that it grew by real time's worth in the
    # format asked for (WAV 176400 bytes a second, MP3 16000, Vorbis about
    # 8000).
    find "$home/music" -type f -printf '  %f %s bytes\n'
    awk -v b="$((bytes1 - bytes0))" -v s="$seconds" \
        'BEGIN { printf "  %.0f bytes a second while measured\n", b / s }'
    awk -v a="$((all1 - all0))" -v u="$((ui1 - ui0))" -v hz="$hz" -v s="$seconds" -v f="$format" \
        'BEGIN { printf "format %d, %d s recorded: program %.1f s CPU per hour, UI thread %.1f s per hour\n", f, s, a / hz * 3600 / s, u / hz * 3600 / s }'
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
