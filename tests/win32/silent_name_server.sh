#!/usr/bin/env bash
# Runs the SilentNameServer tests of win32_tests where the name server never answers: in a network of
# their own (only loopback, where the test keeps a name server on port 53 that answers nothing) and
# with a resolv.conf of their own pointing there (3 s, one attempt). Arguments: the test program, then
# the command that runs a Windows program. Needs root for the namespaces; skipped (77) without.
set -u
tests=$1
shift
if [ "$(id -u)" != 0 ] || ! command -v unshare >/dev/null; then
    echo "needs root and unshare for a private network" >&2
    exit 77
fi
conf=$(mktemp)
trap 'rm -f "$conf"' EXIT
printf 'nameserver 127.0.0.1\noptions timeout:3 attempts:1\n' >"$conf"
# The address beside loopback's own: a lookup that asks only for configured address kinds (as Wine's
# does) gives up at once where the host has no address but loopback's. The name server runs here, in
# the private network: Wine makes the test's own sockets in its server, outside it.
unshare -n -m sh -c 'ip link set lo up && ip addr add 10.77.0.1/32 dev lo &&
    mount --bind "$0" /etc/resolv.conf || exit 1
    python3 -c "
import socket, time
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind((\"127.0.0.1\", 53))
time.sleep(300)
" &
    server=$!
    sleep 0.3
    TESMORA_SILENT_NAME_SERVER=1 "$@"
    status=$?
    kill $server
    exit $status' "$conf" "$@" "$tests" --gtest_filter='SilentNameServer.*'
