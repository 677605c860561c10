#!/usr/bin/env bash
# The login dialog of the real remote against the simulated classroom: the remembered ID shown
# selected, and the dialog kept above other windows half a second after it opens; a message box (and
# the dialog kept) for an empty ID, a forbidden character and 21 characters; 20 characters after
# trimming and a Hangul ID accepted, the relay kept in setting.ini; with the lookup service down, the
# remembered relay; a refusal in the message line, looked at in screenshots at the scale factors 1
# and 1.4 (login-refused-1.png, login-refused-1.4.png). By default the classroom's self-made
# certificate is accepted over https; with strictcertificates=1 it is refused with its own message
# (login-not-secure.png), no plain http is tried and the remembered relay is kept; once the prefix
# trusts the certificate the strict lookup succeeds over https, but a trusted server that redirects
# it to plain http gets the message again and nothing is sent over http.
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"

# connect_as ID: types the ID (probe escapes allowed) into the login dialog and connects.
connect_as() {
    e2e_probe set-text --hwnd "$login" --id 1036 "$1" >/dev/null
    e2e_probe click --hwnd "$login" --id 1 >/dev/null
}

# refused_by_box ID: connecting shows the message box; the dialog stays with the ID's edit focused.
refused_by_box() {
    connect_as "$1"
    local box
    box=$(e2e_wait_message_box "$E2E_REMOTE_PID")
    [ -n "$box" ] || e2e_fail "no message box for \"$1\""
    e2e_probe key --hwnd "$box" enter >/dev/null
    e2e_probe wait-gone --hwnd "$box" --timeout 5000 >/dev/null ||
        e2e_fail "the message box for \"$1\" stayed"
    e2e_expect_equal "dialog still shown after \"$1\"" \
        "$(e2e_field "$(e2e_probe state --hwnd "$login")" visible)" 1
}

# text_of ID: the text of the login dialog's control ID.
text_of() {
    e2e_probe text --hwnd "$login" --id "$1"
}

start_remote() {
    e2e_start_remote
    login=$(e2e_wait_login "$E2E_REMOTE_PID")
    [ -n "$login" ] || e2e_fail "no login dialog"
}

end_remote() {
    e2e_probe kill "$E2E_REMOTE_PID" --image "$(e2e_image_of "$E2E_REMOTE_PID")" >/dev/null 2>&1 || true
}

e2e_begin login --set 'teacher-ids=demo-teacher,abcdefghij0123456789,김선생'
e2e_config "webserver=127.0.0.1:$E2E_LOOKUP_PORT" "scalefactor=1"
e2e_set_profile_value teacherid demo-teacher
login_port=$E2E_LOGIN_PORT

e2e_step "the remembered ID is shown selected, with the focus"
start_remote
e2e_expect_equal "teacher ID" "$(text_of 1036)" demo-teacher
e2e_expect_equal "selection (start 0, end 12)" \
    "$(e2e_field "$(e2e_probe send --hwnd "$login" --id 1036 0xB0 0 0)" result)" $((12 << 16))
for _ in $(seq 50); do
    [ "$(e2e_field "$(e2e_probe state --hwnd "$login" --id 1036)" focused)" = 1 ] && break
    sleep 0.1
done
e2e_expect_equal "edit focused" "$(e2e_field "$(e2e_probe state --hwnd "$login" --id 1036)" focused)" 1
e2e_expect_equal "message line" "$(text_of 1064)" ""
# Half a second after it opens the dialog turns topmost; a window manager then keeps it above the
# other windows (without one, the state is not shown).
if e2e_window_manager; then
    for _ in $(seq 50); do
        e2e_x_above tesmoraorluremocon.exe "Tesmora Orlu Remocon" && break
        sleep 0.1
    done
    e2e_x_above tesmoraorluremocon.exe "Tesmora Orlu Remocon" || e2e_fail "the login dialog is not kept above"
    e2e_log "ok: the login dialog is kept above the other windows"
else
    e2e_log "no window manager: the dialog's topmost state is not checked"
fi

e2e_step "an empty ID, a slash and 21 characters are refused in a message box"
refused_by_box ''
refused_by_box '   '
refused_by_box 'ab/cd'
refused_by_box 'abcdefghij0123456789k'

e2e_step "20 characters after trimming are accepted; the relay is kept"
connect_as '  abcdefghij0123456789  '
e2e_probe wait-gone --hwnd "$login" --timeout 20000 >/dev/null || e2e_fail "the login dialog stayed"
e2e_expect_equal "rsip" "$(e2e_setting rsip)" 127.0.0.1
e2e_expect_equal "rsport" "$(e2e_setting rsport)" "$login_port"
# The untrusted certificate was let through on the retry: the answer came over https.
e2e_expect_equal "lookups over plain http" "$(e2e_count_events '"event":"lookup".*"scheme":"http"')" 0
end_remote

e2e_step "a Hangul ID is accepted"
start_remote
e2e_expect_equal "remembered ID" "$(text_of 1036)" abcdefghij0123456789
connect_as '\uAE40\uC120\uC0DD'
e2e_probe wait-gone --hwnd "$login" --timeout 20000 >/dev/null || e2e_fail "the login dialog stayed"
e2e_wait_event '"event":"lookup".*"val3":"김선생","check":"ok"' 10
end_remote

e2e_step "with the lookup service down the remembered relay is used"
e2e_stop_classroom
start_remote
connect_as demo-teacher
e2e_probe wait-gone --hwnd "$login" --timeout 20000 >/dev/null || e2e_fail "the login dialog stayed"
e2e_expect_equal "rsip kept" "$(e2e_setting rsip)" 127.0.0.1
e2e_expect_equal "rsport kept" "$(e2e_setting rsport)" "$login_port"
end_remote

e2e_step "a refusal is shown in the message line, at the scale factors 1 and 1.4"
e2e_start_classroom --set lookup.reply=denied
for factor in 1 1.4; do
    e2e_config "webserver=127.0.0.1:$E2E_LOOKUP_PORT" "scalefactor=$factor"
    start_remote
    connect_as demo-teacher
    for _ in $(seq 100); do
        [ "$(text_of 1064)" = "잘못된 접근입니다." ] && break
        sleep 0.1
    done
    e2e_expect_equal "message line" "$(text_of 1064)" "잘못된 접근입니다."
    rect=$(e2e_field "$(e2e_probe find --hwnd "$login")" rect)
    e2e_expect_equal "dialog size at $factor" "$(awk -F, '{print $3 - $1 "x" $4 - $2}' <<<"$rect")" \
        "$([ "$factor" = 1 ] && echo 378x304 || echo 529x425)"
    e2e_screenshot --hwnd "$login" "$(e2e_windows_path "$E2E_DIR/login-refused-$factor.png")"
    e2e_probe key --hwnd "$login" esc >/dev/null
    e2e_expect_equal "exit code after Esc" "$(e2e_exit_code "$E2E_REMOTE_PID")" 0
done

e2e_step "strict certificates: the untrusted classroom is refused with its message, nothing over http"
e2e_start_classroom
e2e_config "webserver=127.0.0.1:$E2E_LOOKUP_PORT" "scalefactor=1" "strictcertificates=1"
start_remote
connect_as demo-teacher
not_secure="웹 서버에 안전하게 연결할 수 없습니다."
for _ in $(seq 200); do
    [ "$(text_of 1064)" = "$not_secure" ] && break
    sleep 0.1
done
e2e_expect_equal "message line" "$(text_of 1064)" "$not_secure"
e2e_expect_equal "dialog still shown" "$(e2e_field "$(e2e_probe state --hwnd "$login")" visible)" 1
e2e_screenshot --hwnd "$login" "$(e2e_windows_path "$E2E_DIR/login-not-secure.png")"
e2e_expect_equal "lookups answered" "$(e2e_count_events '"event":"lookup"')" 0
e2e_expect_equal "rsport kept" "$(e2e_setting rsport)" "$login_port"

e2e_step "strict certificates with the classroom's certificate trusted: the lookup succeeds over https"
# A new remote: a process reads the trusted certificates once. Wine matches the server's name only
# against the certificate's DNS names, hence "localhost" (the classroom's certificate names it too).
end_remote
e2e_trust_classroom
e2e_config "webserver=localhost:$E2E_LOOKUP_PORT" "scalefactor=1" "strictcertificates=1"
start_remote
connect_as demo-teacher
e2e_probe wait-gone --hwnd "$login" --timeout 20000 >/dev/null || e2e_fail "the login dialog stayed"
e2e_expect_equal "lookups over https" "$(e2e_count_events '"event":"lookup".*"scheme":"https"')" 1
e2e_expect_equal "rsport" "$(e2e_setting rsport)" "$E2E_LOGIN_PORT"
end_remote

e2e_step "strict certificates: a trusted server's redirection to plain http is not followed"
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2 -subj /CN=localhost \
    -addext subjectAltName=DNS:localhost -keyout "$E2E_DIR/mover.key" -out "$E2E_DIR/mover.pem" 2>/dev/null
openssl x509 -in "$E2E_DIR/mover.pem" -outform DER -out "$E2E_DIR/mover.der"
e2e_trust_certificate "$E2E_DIR/mover.der"
# Sends every request on to the classroom's lookup over plain http; ends by itself.
timeout 120 python3 - "$E2E_DIR/mover.pem" "$E2E_DIR/mover.key" "$E2E_LOOKUP_PORT" >"$E2E_DIR/mover.port" <<'PY' &
import http.server, ssl, sys
class Mover(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        self.send_response(302)
        self.send_header("Location", f"http://127.0.0.1:{sys.argv[3]}{self.path}")
        self.end_headers()
    def log_message(self, *args):
        pass
server = http.server.HTTPServer(("127.0.0.1", 0), Mover)
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(sys.argv[1], sys.argv[2])
server.socket = context.wrap_socket(server.socket, server_side=True)
print(server.server_address[1], flush=True)
server.serve_forever()
PY
mover=$!
for _ in $(seq 100); do [ -s "$E2E_DIR/mover.port" ] && break; sleep 0.1; done
e2e_config "webserver=localhost:$(cat "$E2E_DIR/mover.port")" "scalefactor=1" "strictcertificates=1"
start_remote
connect_as demo-teacher
for _ in $(seq 200); do
    [ "$(text_of 1064)" = "$not_secure" ] && break
    sleep 0.1
done
e2e_expect_equal "message line" "$(text_of 1064)" "$not_secure"
e2e_expect_equal "lookups over plain http" "$(e2e_count_events '"event":"lookup".*"scheme":"http"')" 0
kill "$mover" 2>/dev/null || true
end_remote
