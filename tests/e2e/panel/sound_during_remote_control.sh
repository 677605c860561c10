#!/usr/bin/env bash
# Sound upload across remote control: sound started before remote control goes on while remote
# control holds the connection (its blocks then travel through the control thread) and is stopped
# during it; sound started during remote control goes on after remote control ends. On the one
# teacher connection the classroom hears, in order: [RC00011]start, blocks, [RC00004], blocks,
# [RC00011]stop (no block after it), [RC00011]start, blocks, [RC00005], blocks, [RC00011]stop.
source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"
source "$(dirname "${BASH_SOURCE[0]}")/sound_pulse.sh"

e2e_begin sound-during-remote-control
e2e_config "webserver=127.0.0.1:$E2E_LOOKUP_PORT" "layout=full"
e2e_start_null_sink
e2e_start_remote
e2e_login demo-teacher
panel=$(e2e_field "$(e2e_wait_panel 30)" hwnd)

wait_count() {  # PATTERN COUNT SECONDS
    local deadline=$((SECONDS + $3))
    until [ "$(e2e_count_events "$1")" -ge "$2" ]; do
        [ $SECONDS -lt $deadline ] || e2e_fail "fewer than $2 events matching $1 within $3 s"
        sleep 0.2
    done
}
blocks() { e2e_count_events '"event":"sound_block"'; }
# more_blocks N: at least N blocks arrive from now on (silence comes twice a second).
more_blocks() { wait_count '"event":"sound_block"' $(($(blocks) + $1)) 10; }

e2e_step "sound before remote control, stopped during it"
e2e_press "$panel" 1005
wait_count '"tag":"\[RC00011\]","payload":"start"' 1 10
more_blocks 2
e2e_press "$panel" 1001
wait_count '"event":"remote_control","state":"start"' 1 15
more_blocks 3
e2e_button_state "$panel" 1005 | grep -q 'checked=1' || e2e_fail "the sound button unchecked during remote control"
e2e_press "$panel" 1005
wait_count '"tag":"\[RC00011\]","payload":"stop"' 1 10
e2e_button_state "$panel" 1005 | grep -q 'checked=0' || e2e_fail "the sound button is still checked"

e2e_step "sound started during remote control, going on after it"
sleep 1
e2e_press "$panel" 1005
wait_count '"tag":"\[RC00011\]","payload":"start"' 2 10
more_blocks 2
e2e_press "$panel" 1001
wait_count '"event":"remote_control","state":"stop"' 1 15
more_blocks 3
e2e_press "$panel" 1005
wait_count '"tag":"\[RC00011\]","payload":"stop"' 2 10
sleep 1.5

order=$(python3 - "$E2E_DIR/events.jsonl" <<'PY'
import json, sys
marks = []
connections = set()
for line in open(sys.argv[1]):
    e = json.loads(line)
    if e.get("peer") not in (None, "teacher"):
        continue
    kind = e.get("event")
    if kind == "recv" and e.get("tag") == "[RC00011]":
        marks.append("start" if e.get("payload") == "start" else "stop")
    elif kind == "recv" and e.get("tag") in ("[RC00004]", "[RC00005]"):
        marks.append(e["tag"][1:-1])
    elif kind == "sound_block":
        if not marks or marks[-1] != "blocks":
            marks.append("blocks")
    else:
        continue
    connections.add(e.get("conn"))
seen = " ".join(marks)
want = "start blocks RC00004 blocks stop start blocks RC00005 blocks stop"
if seen != want:
    sys.exit(f"the teacher heard: {seen}")
if len(connections) != 1:
    sys.exit(f"on connections {sorted(connections)}")
print(seen)
PY
) || e2e_fail "$order"
e2e_log "the teacher heard, on one connection: $order"
e2e_log "$(grep -a 'Remocon sound upload:' "$E2E_DIR/remote.err" | sed 's/.*Remocon/Remocon/' | tr '\n' ' ')"
