#!/bin/sh
# Runs a command with a private PulseAudio server whose default sink is a null
# sink (test_null), and stops the server afterwards.
set -eu
runtime=$(mktemp -d)
chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disallow-exit \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$runtime/pulse/native" \
    -L "module-null-sink sink_name=test_null" >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null; rm -rf "$runtime"' EXIT
export PULSE_SERVER="unix:$runtime/pulse/native"
for _ in $(seq 100); do
    [ -S "$runtime/pulse/native" ] && break
    sleep 0.05
done
"$@"
