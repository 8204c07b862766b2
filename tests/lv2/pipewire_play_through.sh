#!/usr/bin/env bash
# Plays a file through a PipeWire filter-chain configuration and records what comes out, on a
# private PipeWire and WirePlumber (their own runtime and configuration folders, their own
# session bus, the built-in dummy driver: no audio hardware, no user's session touched).
#   pipewire_play_through.sh LV2_PATH FRAGMENT IN.wav OUT.wav
# FRAGMENT is a configuration as `miral export --pipewire` writes it, loaded as a drop-in (as
# users install it into pipewire.conf.d/) of a PipeWire client run with `pipewire -c`. Every step has a time
# limit; every process started here is ended on the way out, also on failure.
set -euo pipefail

if [ -z "${MIRAL_PRIVATE_SESSION:-}" ]; then
    lv2_path=$(realpath "$1") fragment=$(realpath "$2") input=$(realpath "$3")
    output=$(realpath -m "$4")
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    mkdir -p "$work/config/pipewire/miral-filter.conf.d" "$work/config/pipewire/pipewire.conf.d" \
        "$work/runtime"
    chmod 700 "$work/runtime"
    cp "$fragment" "$work/config/pipewire/miral-filter.conf.d/miral.conf"
    # One fixed quantum of 8192 frames (170 ms at 48 kHz), the largest PipeWire takes: the dummy
    # driver runs in real time, and a client late for a cycle (on a loaded machine) repeats or
    # skips a quantum of the recording. The equaliser's output does not depend on block lengths.
    cat >"$work/config/pipewire/pipewire.conf.d/quantum.conf" <<'EOF'
context.properties = {
    default.clock.rate        = 48000
    default.clock.quantum     = 8192
    default.clock.min-quantum = 8192
    default.clock.max-quantum = 8192
}
EOF
    # The client that hosts the filter-chain: real-time scheduling where the system allows it
    # (the daemon and pw-cat ask for it too), the protocol, client nodes and adapters.
    cat >"$work/config/pipewire/miral-filter.conf" <<'EOF'
context.spa-libs = {
    audio.convert.* = audioconvert/libspa-audioconvert
    support.*       = support/libspa-support
}
context.modules = [
    { name = libpipewire-module-rt flags = [ ifexists nofail ] }
    { name = libpipewire-module-protocol-native }
    { name = libpipewire-module-client-node }
    { name = libpipewire-module-adapter }
]
EOF
    status=0
    env -u PIPEWIRE_REMOTE -u PIPEWIRE_RUNTIME_DIR -u PIPEWIRE_CONFIG_DIR -u DBUS_SESSION_BUS_ADDRESS \
        MIRAL_PRIVATE_SESSION=1 XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config" \
        XDG_STATE_HOME="$work/state" LV2_PATH="$lv2_path" \
        timeout -k 5 90 dbus-run-session -- "$0" "$input" "$output" "$work" || status=$?
    exit $status
fi

# --- Inside the private session bus.
input=$1 output=$2 work=$3
pids=()
# Each background process is limited in time too: nothing outlives a killed script for long.
start() {
    local log=$1
    shift
    timeout -k 5 80 "$@" >"$work/$log.log" 2>&1 &
    pids+=($!)
}
stop_all() {
    local status=$?
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    if [ $status -ne 0 ]; then
        for log in "$work"/*.log; do
            echo "--- $(basename "$log")" >&2
            tail -n 20 "$log" >&2
        done
    fi
}
trap stop_all EXIT

# Waits until the command succeeds, for at most ten seconds.
wait_for() {
    local what=$1
    shift
    for _ in $(seq 100); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "pipewire_play_through: timed out waiting for $what" >&2
    return 1
}
node_exists() { pw-cli ls Node | grep -qF "node.name = \"$1\""; }
output_linked() { pw-link -l | grep -A1 -F 'effect_output.miral:output_FL' | grep -qF -- '|->'; }

# pw-cat moves the audio between its file and the graph on its main thread, which PipeWire does
# not schedule in real time: it is, where the system allows it, so that a loaded machine does
# not make it late for a cycle.
realtime=()
chrt -f 40 true 2>/dev/null && realtime=(chrt -f 40)

start pipewire pipewire
wait_for "pipewire" test -S "$XDG_RUNTIME_DIR/pipewire-0"
start wireplumber wireplumber
start filter-chain pipewire -c miral-filter.conf
wait_for "the equaliser's sink" node_exists effect_input.miral
wait_for "the equaliser's output" node_exists effect_output.miral

start recorder "${realtime[@]}" pw-cat --record --target effect_output.miral --format f32 --rate 48000 \
    --channels 2 "$output"
wait_for "the recorder's link" output_linked
timeout 60 "${realtime[@]}" pw-cat --playback --target effect_input.miral "$input"
# The last quanta through the graph, then the recorder ends its file.
sleep 0.5
kill -TERM "${pids[-1]}"
wait "${pids[-1]}" || true
