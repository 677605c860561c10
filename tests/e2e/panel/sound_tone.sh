#!/usr/bin/env bash
# Sound upload sends what the pad plays: with a null sink as the pad's default playback device (its
# mix runs at 44,100 Hz), a 440 Hz tone played on the pad arrives at the teacher at 8000 samples a
# second with its pitch (within 2 %) and whole to its end; the button shows the upload running and
# stopping it tells the teacher "[RC00011]stop". Reports the sound thread's CPU time per second.
source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"
source "$(dirname "${BASH_SOURCE[0]}")/sound_pulse.sh"

tone_seconds=3
e2e_begin sound-tone
e2e_config "webserver=127.0.0.1:$E2E_LOOKUP_PORT" "layout=full"
e2e_start_null_sink
e2e_tone "$E2E_DIR/tone.wav" 440 $tone_seconds
e2e_start_remote
e2e_login demo-teacher
panel=$(e2e_field "$(e2e_wait_panel 30)" hwnd)

e2e_press "$panel" 1005
e2e_wait_event '"tag":"\[RC00011\]","payload":"start"' 10
e2e_button_state "$panel" 1005 | grep -q 'checked=1' || e2e_fail "the sound button is not checked"
e2e_button_state "$panel" 1005 | grep -q 'visible=1' || e2e_fail "the sound button is not shown"
e2e_probe screenshot --hwnd "$panel" "$(e2e_windows_path "$E2E_DIR/panel-sound-on.png")" >/dev/null
# Silence first: the capture runs and sends silence blocks before the tone.
e2e_wait_event '"event":"sound_block"' 10
paplay --device=pad "$E2E_DIR/tone.wav" || e2e_fail "the tone could not be played"
sleep 2
e2e_press "$panel" 1005
e2e_wait_event '"tag":"\[RC00011\]","payload":"stop"' 10
e2e_wait_event '"event":"sound_received"' 10
e2e_button_state "$panel" 1005 | grep -q 'checked=0' || e2e_fail "the sound button is still checked"

received=$(grep '"event":"sound_received"' "$E2E_DIR/events.jsonl" | tail -n 1)
e2e_log "teacher: $received"
wav=$(ls "$E2E_DIR"/teacher/sound-*.wav | tail -n 1)
tone=$(python3 - "$wav" "$tone_seconds" "$received" <<'PY'

import json, sys, wave
path, seconds, event = sys.argv[1], float(sys.argv[2]), json.loads(sys.argv[3])
hz = float(event.get("dominant_hz", 0))
if abs(hz - 440) > 440 * 0.02:
    sys.exit(f"dominant frequency {hz} Hz")
with wave.open(path) as w:
    rate, data = w.getframerate(), w.readframes(w.getnframes())
samples = [int.from_bytes(data[i:i + 2], "little", signed=True) for i in range(0, len(data), 2)]
loud = [i for i, s in enumerate(samples) if abs(s) > 1000]
if not loud:
    sys.exit("no tone in the recording")
# The tone lasts as long as it was played (the end of a sound is not replaced by silence) and has no
# hole: a sine at half of full scale stays quiet for only a few samples around each zero crossing.
span = (loud[-1] - loud[0] + 1) / rate
longest_hole = max(b - a for a, b in zip(loud, loud[1:])) / rate
print(f"teacher's recording: tone of {span:.3f} s at {hz} Hz, longest quiet stretch {longest_hole * 1000:.1f} ms")
if abs(span - seconds) > 0.05:
    sys.exit(f"the tone lasts {span:.3f} s instead of {seconds} s")
if longest_hole > 0.005:
    sys.exit(f"a gap of {longest_hole * 1000:.1f} ms in the tone")
PY
) || e2e_fail "the sound the teacher received is not the tone: $tone"
e2e_log "$tone"

# What capturing costs the sound thread.
captured=$(sed -n 's/.*Remocon sound: captured frames=\([0-9]*\) wall_ms=\([0-9]*\) cpu_us=\([0-9]*\).*/\1 \2 \3/p' \
    "$E2E_DIR/remote.err" | tail -n 1)
[ -n "$captured" ] || e2e_fail "no trace of the capture's end"
read -r frames wall cpu <<<"$captured"
e2e_log "sound thread: $frames frames in $wall ms, CPU $((cpu / 1000)) ms ($(awk -v c="$cpu" -v w="$wall" \
    'BEGIN { printf "%.1f", c / w }') ms per second of capture)"
