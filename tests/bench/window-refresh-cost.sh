#!/usr/bin/env bash
# CPU cost of the monitor window's refresh while a plug-in processes audio.
#
#   tests/bench/window-refresh-cost.sh [BUILD_DIR] [SECONDS]
#
# oplexa-host processes the demo gain through Oplexa.so as fast as it can (it has no real-time
# pacing) on its main thread. Every other thread of the host process is Oplexa's: the message
# thread, which refreshes the window, and JUCE's timer thread. Their utime+stime from
# /proc/PID/task/*/stat over SECONDS (default 10) of wall-clock time, with the window open
# under Xvfb and openbox, minus the same with DISPLAY unset (no window), is the refresh cost.
# The X server's own drawing is shown apart; it is another process. Builds nothing; needs
# Oplexa, oplexa-host and oplexa-demo-gain built in BUILD_DIR (default build/).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)

# Starts after the window appeared: JUCE's splash shows for the first two seconds of a
# process, then fades, and that is not the steady refresh.
warmup=5

ticks_per_second=$(getconf CLK_TCK)

thread_ticks() { # PID TID: utime + stime; the name before ") " may hold spaces
    sed 's/^.*) //' "/proc/$1/task/$2/stat" 2>/dev/null | awk '{ t = $12 + $13 } END { print t + 0 }'
}

other_threads_ticks() { # PID: every thread but the main one
    local total=0 task tid
    for task in /proc/"$1"/task/*; do
        tid=${task##*/}
        [[ $tid == "$1" ]] && continue
        total=$((total + $(thread_ticks "$1" "$tid")))
    done
    echo "$total"
}

process_ticks() { # PID: the whole process
    sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
}

percent() { # TICKS NANOSECONDS
    awk -v t="$1" -v ns="$2" -v hz="$ticks_per_second" 'BEGIN { printf "%.2f", 100 * t / hz / (ns / 1e9) }'
}

# One measured run; prints "RESULT label others_percent main_percent xserver_percent".
measure() { # LABEL
    local label=$1 work blocks start took_ms host_pid
    work=$(mktemp -d /tmp/oplexa-window-cost-XXXXXX)
    # Its own settings file beside the module: no switches saved by an earlier run.
    ln -s "$module" "$work/Oplexa.so"

    # Enough blocks to outlast the measurement twice over at the speed this machine has now.
    start=$(date +%s%N)
    OPLEXA_PLUGIN="$plugin" OPLEXA_LOG_FILE=/dev/null DISPLAY= \
        "$host" --quiet --blocks 20000 "$work/Oplexa.so" >/dev/null 2>&1
    took_ms=$((($(date +%s%N) - start) / 1000000 + 1))
    blocks=$((20000 * (warmup + seconds + 10) * 2000 / took_ms))
    ((blocks > 10000000)) && blocks=10000000
    rm -f "$work/Oplexa.xml"

    OPLEXA_PLUGIN="$plugin" OPLEXA_LOG_FILE=/dev/null \
        "$host" --quiet --blocks "$blocks" "$work/Oplexa.so" >/dev/null 2>&1 &
    host_pid=$!

    if [[ -n ${DISPLAY:-} ]]; then
        local tries=0
        until xdotool search --name "^Oplexa - ${plugin##*/}\$" >/dev/null 2>&1; do
            tries=$((tries + 1))
            if ((tries > 200)); then
                echo "window-refresh-cost: the monitor window did not appear" >&2
                kill "$host_pid"
                return 1
            fi
            sleep 0.1
        done
    fi
    sleep "$warmup"

    local t0 t1 others0 others1 all0 all1 x0=0 x1=0
    t0=$(date +%s%N)
    others0=$(other_threads_ticks "$host_pid")
    all0=$(process_ticks "$host_pid")
    [[ -n ${XSERVER_PID:-} ]] && x0=$(process_ticks "$XSERVER_PID")
    sleep "$seconds"
    others1=$(other_threads_ticks "$host_pid")
    all1=$(process_ticks "$host_pid")
    [[ -n ${XSERVER_PID:-} ]] && x1=$(process_ticks "$XSERVER_PID")
    t1=$(date +%s%N)

    if ! kill -0 "$host_pid" 2>/dev/null; then
        echo "window-refresh-cost: oplexa-host finished before the measurement did" >&2
        return 1
    fi
    kill "$host_pid"
    wait "$host_pid" 2>/dev/null || true
    rm -rf "$work"

    local others=$((others1 - others0)) main=$((all1 - all0 - (others1 - others0)))
    echo "RESULT $label $(percent "$others" $((t1 - t0))) $(percent "$main" $((t1 - t0))) $(percent $((x1 - x0)) $((t1 - t0)))"
}

if [[ ${1:-} == --measure ]]; then
    # Inside the private X server: BUILD_DIR, SECONDS and the paths come from the caller.
    build=$2 seconds=$3
    host="$build/tools/oplexa-host" module="$build/Oplexa.so"
    plugin="$build/tests/plugins/oplexa-demo-gain.so"
    measure window
    exit
fi

build=$(cd "${1:-build}" && pwd)
seconds=${2:-10}
host="$build/tools/oplexa-host"
module="$build/Oplexa.so"
plugin="$build/tests/plugins/oplexa-demo-gain.so"
for needed in "$host" "$module" "$plugin"; do
    [[ -e $needed ]] || { echo "window-refresh-cost: missing $needed" >&2; exit 1; }
done
for tool in xvfb-run openbox xdotool xprop; do
    command -v "$tool" >/dev/null || { echo "window-refresh-cost: $tool is not installed" >&2; exit 1; }
done

echo "Measuring ${seconds} s with no window (DISPLAY unset) ..."
baseline=$(DISPLAY= XSERVER_PID= measure baseline)

echo "Measuring ${seconds} s with the window open (Xvfb, openbox) ..."
# xvfb-run starts Xvfb and the command as its two children; the command finds the server
# as its sibling.
windowed=$(xvfb-run -a -s '-screen 0 1280x1024x24' bash -c '
    openbox >/dev/null 2>&1 &
    wm=$!
    tries=0
    until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do
        tries=$((tries + 1))
        if [ $tries -gt 100 ]; then echo "openbox did not start" >&2; kill $wm; exit 1; fi
        sleep 0.1
    done
    XSERVER_PID=$(ps -o pid=,comm= --ppid $PPID | awk "\$2 == \"Xvfb\" { print \$1 }") \
        "$0" --measure "$1" "$2"
    rc=$?
    kill $wm
    wait $wm 2>/dev/null
    exit $rc
' "$here/window-refresh-cost.sh" "$build" "$seconds")

read -r _ _ base_others base_main _ <<<"$(grep '^RESULT' <<<"$baseline")"
read -r _ _ win_others win_main win_x <<<"$(grep '^RESULT' <<<"$windowed")"
cost=$(awk -v a="$win_others" -v b="$base_others" 'BEGIN { printf "%.2f", a - b }')
verdict=$(awk -v c="$cost" 'BEGIN { print (c < 2 ? "within" : "over") }')

echo
echo "| run | Oplexa's threads, % of one core | host's audio thread | Xvfb |"
echo "| --- | ---: | ---: | ---: |"
echo "| no window | $base_others | $base_main | - |"
echo "| window open | $win_others | $win_main | $win_x |"
echo
echo "Window refresh cost: $cost% of one core ($verdict the 2% budget)"
