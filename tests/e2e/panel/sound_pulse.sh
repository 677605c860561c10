# Sound for the sound scenarios (sourced after the harness): a PulseAudio of the scenario's own with a
# null sink as the only, default, playback device, or no sound server at all. Wine's processes find
# it through PULSE_SERVER, which the remote inherits from the probe that starts it.

# e2e_no_sound_server: the remote will find no playback endpoint.
e2e_no_sound_server() {
    export PULSE_SERVER=unix:$E2E_DIR/no-sound-server
}

# e2e_start_null_sink: a null sink "pad" at 44,100 Hz (the rate the pad's mix then has); ended with
# the scenario.
e2e_start_null_sink() {
    command -v pulseaudio >/dev/null || { echo "pulseaudio is not installed (scripts/deps)" >&2; exit $E2E_SKIP; }
    local runtime=$E2E_DIR/pulse
    mkdir -p "$runtime"
    setsid env HOME="$runtime" XDG_RUNTIME_DIR="$runtime" pulseaudio -n --daemonize=no --exit-idle-time=-1 \
        --use-pid-file=no -L "module-null-sink sink_name=pad rate=44100" \
        -L "module-native-protocol-unix auth-anonymous=1" </dev/null >"$E2E_DIR/pulse.log" 2>&1 &
    E2E_PULSE_PID=$!
    E2E_BACKGROUND+=("$E2E_PULSE_PID")
    export PULSE_SERVER=unix:$runtime/pulse/native
    # Wine 8 has no loopback capture: the remote records the sink's monitor instead (the same sound).
    export TESMORA_SOUND_SOURCE=recording
    local deadline=$((SECONDS + 10))
    until pactl info >/dev/null 2>&1; do
        [ $SECONDS -lt $deadline ] || e2e_fail "the sound server did not start"
        sleep 0.2
    done
}

# e2e_tone FILE HZ SECONDS: a stereo 16-bit tone at 44,100 Hz, at half of full scale.
e2e_tone() {
    python3 - "$@" <<'PY'
import math, struct, sys, wave
path, hz, seconds = sys.argv[1], float(sys.argv[2]), float(sys.argv[3])
rate = 44100
with wave.open(path, "wb") as out:
    out.setnchannels(2)
    out.setsampwidth(2)
    out.setframerate(rate)
    frames = bytearray()
    for i in range(int(rate * seconds)):
        v = int(16383 * math.sin(2 * math.pi * hz * i / rate))
        frames += struct.pack("<hh", v, v)
    out.writeframes(bytes(frames))
PY
}

# e2e_stop_sound_server: the null sink's sound server ends under the running remote (the pad's sound
# device goes away).
e2e_stop_sound_server() {
    e2e_stop_background "$E2E_PULSE_PID"
}
