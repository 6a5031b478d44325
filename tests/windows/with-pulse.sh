#!/bin/sh
# Runs a command with a private PulseAudio server whose default sink is a null
# sink (test_null), recording the sink's monitor (signed 16-bit mono at
# 44100 Hz) into the file named by ALARM_TEST_MONITOR, and stops both afterwards.
set -eu
runtime=$(mktemp -d)
chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disallow-exit \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$runtime/pulse/native" \
    -L "module-null-sink sink_name=test_null" >/dev/null 2>&1 &
server=$!
recorder=
trap 'kill $recorder $server 2>/dev/null; wait $server 2>/dev/null; rm -rf "$runtime"' EXIT
export PULSE_SERVER="unix:$runtime/pulse/native"
for _ in $(seq 100); do
    [ -S "$runtime/pulse/native" ] && break
    sleep 0.05
done
export ALARM_TEST_MONITOR="$runtime/monitor.raw"
parec -d test_null.monitor --latency-msec=20 --raw --format=s16le --rate=44100 --channels=1 \
    >"$ALARM_TEST_MONITOR" 2>/dev/null &
recorder=$!
"$@"
