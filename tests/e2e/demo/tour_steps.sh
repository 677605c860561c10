# The demo's step bookkeeping (sourced by tour.sh after the harness): each step prints one line, what
# happened and what was checked, keeps its pictures in the tour folder and its result in steps.tsv,
# from which contact_sheet.py makes the contact sheet and the page. A failing check ends the step, and
# the tour, with the step's name and the reason.

DEMO_TOUR=${DEMO_OUT:?}/tour
exec 3>&1
DEMO_COUNT=7
DEMO_INDEX=0
DEMO_STEP=""
DEMO_TITLE=""
DEMO_STARTED=0
DEMO_PICTURES=()
rm -rf "$DEMO_TOUR"
mkdir -p "$DEMO_TOUR"
: >"$DEMO_TOUR/steps.tsv"

# demo_begin NAME TITLE: a new step.
demo_begin() {
    DEMO_INDEX=$((DEMO_INDEX + 1))
    DEMO_STEP=$1
    DEMO_TITLE=$2
    DEMO_STARTED=$SECONDS
    DEMO_PICTURES=()
}

# demo_shot NAME [SELECTION...]: a screenshot (of the selected window, or of the whole screen) kept as
# one of the step's pictures.
demo_shot() {
    local file=$DEMO_TOUR/$DEMO_INDEX-$1.png
    e2e_screenshot "${@:2}" "$(e2e_windows_path "$file")"
    [ -s "$file" ] || e2e_fail "no screenshot $1"
    DEMO_PICTURES+=("$(basename "$file")")
}
# demo_keep FILE NAME: a picture made elsewhere kept as one of the step's pictures.
demo_keep() {
    local file=$DEMO_TOUR/$DEMO_INDEX-$2.${1##*.}
    cp "$1" "$file"
    DEMO_PICTURES+=("$(basename "$file")")
}

# demo_record STATUS TEXT: the step's line on stdout and in steps.tsv. Failures may be found inside a
# command substitution: the line goes to the tour's stdout kept as descriptor 3.
demo_record() {
    local line
    line=$(printf '[%d/%d] %s %s: %s (%d s)' "$DEMO_INDEX" "$DEMO_COUNT" "$1" "$DEMO_TITLE" "$2" \
        $((SECONDS - DEMO_STARTED)))
    echo "$line" >&3
    printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$DEMO_INDEX" "$DEMO_TITLE" "$1" "$2" $((SECONDS - DEMO_STARTED)) \
        "${DEMO_PICTURES[*]}" >>"$DEMO_TOUR/steps.tsv"
    DEMO_STEP=""
}
# demo_pass WHAT_HAPPENED WHAT_WAS_CHECKED
demo_pass() { demo_record ok "$1; checked: $2"; }
# demo_skip WHY
demo_skip() { demo_record skipped "$1"; }

# A failed check names the step it ends; the classroom's last lines and the messages the remote showed
# go to the tour's log.
e2e_fail() {
    {
        echo "FAIL: $*"
        echo "classroom log (last lines):"
        tail -n 25 "$E2E_DIR/classroom.log" 2>/dev/null || true
        echo "messages shown by the remote:"
        e2e_messages || true
    } >>"$DEMO_OUT/tour.log" 2>&1
    if [ -n "$DEMO_STEP" ]; then
        # What the screen showed when the step failed, for the sheet.
        local failure=$DEMO_TOUR/$DEMO_INDEX-at-failure.png
        e2e_screenshot "$(e2e_windows_path "$failure")" 2>/dev/null || true
        [ ! -s "$failure" ] || DEMO_PICTURES+=("$(basename "$failure")")
        demo_record FAILED "$* (details: $DEMO_OUT/tour.log)"
    else
        echo "demo: $* (details: $DEMO_OUT/tour.log)" >&3
    fi
    exit 1
}
# demo_check CONDITION_TEXT COMMAND...: runs the command; fails the step with the text when it fails.
demo_check() {
    "${@:2}" || e2e_fail "$1"
}

# demo_settle COMMAND...: until what the command counts stops growing (checked every 1.5 s, 20 s at
# most); the count must be above zero.
demo_settle() {
    local last="" now deadline=$((SECONDS + 20))
    while :; do
        now=$("$@")
        [ "$now" = "$last" ] && [ "$now" -gt 0 ] && break
        [ $SECONDS -lt $deadline ] || e2e_fail "the pictures never settled"
        last=$now
        sleep 1.5
    done
}

# demo_until SECONDS WHAT COMMAND...: until the command succeeds.
demo_until() {
    local deadline=$((SECONDS + $1))
    until "${@:3}"; do
        [ $SECONDS -lt $deadline ] || e2e_fail "$2 (waited $1 s)"
        sleep 0.2
    done
}

# demo_more REGEX COUNT SECONDS WHAT: until more than COUNT lines of the classroom's events match.
demo_more() {
    local deadline=$((SECONDS + $3))
    until [ "$(e2e_count_events "$1")" -gt "$2" ]; do
        [ $SECONDS -lt $deadline ] || e2e_fail "$4 (waited $3 s)"
        sleep 0.2
    done
}

# demo_recorded: whether the current step has its line already (a failure inside a command
# substitution records it there, and the tour then ends in the caller).
demo_recorded() { [ "$(tail -n 1 "$DEMO_TOUR/steps.tsv" 2>/dev/null | cut -f1)" = "$DEMO_INDEX" ]; }
