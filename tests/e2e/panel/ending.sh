#!/usr/bin/env bash
# One way for the connection to end, driven by the simulated classroom's scenario: the remote shows
# the expected message exactly once, and ends (or closes its panel) once it is answered.
#   ending.sh NAME EXPECTED [classroom options...]
# EXPECTED: a string id of the remote (229, 230, 231, 232) or text:THE TEXT.
source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"

name=$1
expected=$2
shift 2
case $expected in
    229) text="Tesmora Orlu Teacher와 연결이 끊어져 프로그램이 종료됩니다" ;;
    230) text=$'로그인 서버와 접속이 되지 않습니다.\nWi-Fi에 정상연결되어 있는지 확인해 주세요.' ;;
    231) text=$'Tesmora Orlu Teacher와 접속이 되지 않습니다.\nWi-Fi에 정상연결되어 있는지 확인해 주세요.' ;;
    232) text="잘못된 정보가 수신되었습니다." ;;
    text:*) text=${expected#text:} ;;
    *) echo "unknown expectation $expected" >&2; exit 2 ;;
esac

e2e_begin "ending-$name" "$@"
e2e_start_remote
e2e_login demo-teacher
e2e_wait_message "$text" 80
# Whatever else fails on the way out, the user is told once.
sleep 1
count=$(e2e_message_count "$text")
[ "$count" = 1 ] || e2e_fail "\"$text\" was shown $count times"
others=$(e2e_messages | grep -Fxv -- "$(e2e_escape "$text")" || true)
[ -z "$others" ] || e2e_fail "other messages were shown too: $others"
if [ "$name" = teacher-silent ]; then
    # Keep-alives go out every 10 s; the first one that finds more than 40 s of silence ends it.
    # The silence counts from the remote's own acceptance, which it answers with its version.
    accepted=$(grep -m1 '"tag":"\[RC00001\]"' "$E2E_DIR/events.jsonl" | sed 's/^{"t":\([0-9.]*\).*/\1/')
    ended=$(grep -m1 '"peer":"teacher".*"event":"disconnected"' "$E2E_DIR/events.jsonl" |
        sed 's/^{"t":\([0-9.]*\).*/\1/')
    python3 -c "import sys; d=float(sys.argv[2])-float(sys.argv[1]); sys.exit(0 if 39.5 <= d <= 51 else 1)" \
        "$accepted" "$ended" || e2e_fail "silence ended the connection after $accepted..$ended s"
fi
e2e_answer_message 1
e2e_wait_exit 15
e2e_log "ended with the expected message"
