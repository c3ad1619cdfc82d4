#!/bin/bash
# A capture device that delivers audio in real time, as a sound card does,
# on a machine without one: a private PulseAudio server in FOLDER with a
# null sink, a player that plays a looping test signal into it at the
# sink's pace, and an ALSA device "paced_capture" (ALSA's pulse plugin) that
# records the sink's monitor. A read from the device blocks until that much
# time has passed; nothing is padded with silence.
#
#   bench/paced_capture.sh start FOLDER    start the server and the player
#   bench/paced_capture.sh stop FOLDER     stop both
#   bench/paced_capture.sh check FOLDER [SECONDS]
#                                          record SECONDS (default 30) with
#                                          arecord and show that it took that
#                                          long and holds the signal throughout
#
# Clients find the device through ALSA_CONFIG_PATH=FOLDER/asound.conf (as in
# `ALSA_CONFIG_PATH=FOLDER/asound.conf arecord -D paced_capture ...`); no
# other setting of the environment is needed. The signal is 44100 Hz 16-bit
# stereo: 440 Hz on the left, 1234 Hz on the right, a little noise on both.
# Needs pulseaudio, pulseaudio-utils, libasound2-plugins, alsa-utils, sox and
# python3 (scripts/install-deps.sh --bench).
set -euo pipefail

readonly device=paced_capture
readonly raw=(-r 44100 -c 2 -b 16 -e signed-integer)

usage() {
    echo "usage: $0 start|stop|check FOLDER [SECONDS]" >&2
    exit 2
}

[ $# -ge 2 ] || usage
command=$1
folder=$(realpath -m "$2")
socket="$folder/pulse/native"

# Ends the process group a start left behind, if it is still there.
end_group() {
    local file=$1 pid
    [ -f "$file" ] || return 0
    pid=$(cat "$file")
    kill -TERM -- "-$pid" 2>/dev/null || true
    rm -f "$file"
}

start() {
    for tool in pulseaudio pacat pactl arecord sox python3; do
        if ! command -v "$tool" >/dev/null; then
            echo "$tool is missing: run scripts/install-deps.sh --bench" >&2
            exit 1
        fi
    done
    if [ ! -e /usr/lib/x86_64-linux-gnu/alsa-lib/libasound_module_pcm_pulse.so ] &&
        ! ls /usr/lib/*/alsa-lib/libasound_module_pcm_pulse.so >/dev/null 2>&1; then
        echo "ALSA's pulse plugin is missing: run scripts/install-deps.sh --bench" >&2
        exit 1
    fi
    mkdir -p "$folder/pulse" "$folder/home"
    chmod 700 "$folder/pulse"

    # Thirty seconds of the signal, played in a loop (both tones end on a
    # whole cycle, so the loop has no seam).
    sox -m -v 1 -t raw "${raw[@]}" <(sox -n "${raw[@]}" -t raw - synth 30 sine 440 sine 1234 vol 0.4) \
        -v 1 -t raw "${raw[@]}" <(sox -n "${raw[@]}" -t raw - synth 30 whitenoise vol 0.03) \
        -t raw "$folder/signal.raw"

    cat >"$folder/server.pa" <<PA
load-module module-native-protocol-unix socket=$socket auth-anonymous=1
load-module module-null-sink sink_name=paced rate=44100 channels=2 format=s16le
set-default-sink paced
PA
    cat >"$folder/asound.conf" <<CONF
pcm.$device {
  type pulse
  server "unix:$socket"
  device "paced.monitor"
  hint { description "Paced capture (a test signal in real time)" }
}
# The mixer a program finds beside its capture device, as on a desktop.
ctl.!default {
  type pulse
  server "unix:$socket"
}
CONF

    # The server is a group of its own, so that stop ends exactly it.
    HOME="$folder/home" XDG_RUNTIME_DIR="$folder/pulse" PULSE_RUNTIME_PATH="$folder/pulse" \
        PULSE_STATE_PATH="$folder/home" DBUS_SESSION_BUS_ADDRESS=disabled: \
        setsid pulseaudio -n -F "$folder/server.pa" --daemonize=no --exit-idle-time=-1 \
        --use-pid-file=no --realtime=no --high-priority=no \
        --log-target="file:$folder/pulse.log" </dev/null >/dev/null 2>&1 &
    echo $! >"$folder/server.pid"
    local tries=0
    until PULSE_SERVER="unix:$socket" HOME="$folder/home" pactl info >/dev/null 2>&1; do
        tries=$((tries + 1))
        if [ $tries -gt 100 ]; then
            echo "the PulseAudio server did not start; see $folder/pulse.log" >&2
            end_group "$folder/server.pid"
            exit 1
        fi
        sleep 0.1
    done

    # The player keeps a second queued, so that the capture's own period,
    # not the player, sets how often a reader wakes.
    # shellcheck disable=SC2016 # the inner shell expands $1
    PULSE_SERVER="unix:$socket" HOME="$folder/home" setsid sh -c \
        'while cat "$1"; do :; done | pacat --raw --rate=44100 --channels=2 --format=s16le \
            --latency-msec=1000 --device=paced --client-name=paced-player' \
        player "$folder/signal.raw" </dev/null >/dev/null 2>&1 &
    echo $! >"$folder/player.pid"
    sleep 1
}

stop() {
    end_group "$folder/player.pid"
    end_group "$folder/server.pid"
}

# Records with arecord, then reports the wall time and, per 100 ms, whether
# the signal is there (a padded or lost stretch shows as a block of silence
# or a block whose tone is gone).
check() {
    local seconds=${1:-30} out="$folder/check.wav" begin end
    begin=$(date +%s.%N)
    ALSA_CONFIG_PATH="$folder/asound.conf" arecord -q -D "$device" -f S16_LE -c 2 -r 44100 \
        -t wav -d "$seconds" "$out"
    end=$(date +%s.%N)
    python3 - "$out" "$seconds" "$begin" "$end" <<'PY'
import array, math, sys, wave
path, seconds, begin, end = sys.argv[1], float(sys.argv[2]), float(sys.argv[3]), float(sys.argv[4])
with wave.open(path) as w:
    rate, frames = w.getframerate(), w.getnframes()
    data = array.array("h", w.readframes(frames))
block = rate // 10

def level(samples, freq):
    # Goertzel: the amplitude of one frequency, 0..1 of full scale.
    k = 2 * math.cos(2 * math.pi * freq / rate)
    s1 = s2 = 0.0
    for x in samples:
        s1, s2 = x + k * s1 - s2, s1
    return math.sqrt(max(0.0, s1 * s1 + s2 * s2 - k * s1 * s2)) * 2 / len(samples) / 32768

bad = 0
for at in range(0, frames - block + 1, block):
    part = data[2 * at:2 * (at + block)]
    if level(part[0::2], 440) < 0.3 or level(part[1::2], 1234) < 0.3:
        bad += 1
wall = end - begin
print(f"{frames / rate:.2f} s recorded in {wall:.2f} s wall time; "
      f"{bad} of {frames // block} blocks of 100 ms without the signal")
sys.exit(0 if bad == 0 and abs(frames / rate - seconds) < 0.05 and wall >= seconds - 0.05 else 1)
PY
}

case $command in
    start) stop && start ;;
    stop) stop ;;
    check) check "${3:-30}" ;;
    *) usage ;;
esac
