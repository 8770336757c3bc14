#!/usr/bin/env bash
# CPU cost of the monitor window's refresh while a plug-in processes audio.
#
#   tests/bench/window-refresh-cost.sh [BUILD_DIR] [SECONDS]
#
# oplexa-host processes the demo gain through Oplexa.so as fast as it can (it has no real-time
# pacing) on its main thread. Every other thread of the host process is Oplexa's: the message
# thread, which refreshes the window, and JUCE's timer thread. Their utime+stime from
# /proc/PID/task/*/stat over SECONDS (default 20) of wall-clock time is measured with no window
# (DISPLAY unset), then under Xvfb and openbox on the window's first page (AEffect, whose
# processReplacing counter keeps changing) and on the Dispatcher OpCodes page. The difference
# to the run without a window is the refresh cost. It includes what any JUCE window costs on
# Linux: a vblank timer at the display's rate (100 Hz on Xvfb, which reports none) wakes the
# timer and message threads. The X server's own drawing is shown apart; it is another process. Builds nothing; needs Oplexa, oplexa-host and oplexa-demo-gain built
# in BUILD_DIR (default build/).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)

# Starts after the window appeared: JUCE's splash shows for the first two seconds of a
# process, then fades, and that is not the steady refresh.
warmup=5

ticks_per_second=$(getconf CLK_TCK)

thread_ticks() { # PID TID: utime + stime; the name before ") " may hold spaces
    sed 's/^.*) //' "/proc/$1/task/$2/stat" 2>/dev/null | awk '{ t = $12 + $13 } END { print t + 0 }'
}

other_threads() { # PID: "TID NAME TICKS" for every thread but the main one
    local task tid
    for task in /proc/"$1"/task/*; do
        tid=${task##*/}
        [[ $tid == "$1" ]] && continue
        echo "$tid $(tr ' ' _ <"$task/comm" 2>/dev/null || echo gone) $(thread_ticks "$1" "$tid")"
    done
}

process_ticks() { # PID: the whole process
    sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
}

percent() { # TICKS NANOSECONDS
    awk -v t="$1" -v ns="$2" -v hz="$ticks_per_second" 'BEGIN { printf "%.2f", 100 * t / hz / (ns / 1e9) }'
}

# Prints "RESULT LABEL OTHERS MAIN XSERVER", each in % of one core over SECONDS from now, and
# "THREADS LABEL NAME=PERCENT ..." for the threads other than the main one. A thread started
# during the interval counts from zero.
measure_interval() { # HOST_PID LABEL
    local t0 t1 before after all0 all1 x0=0 x1=0
    t0=$(date +%s%N)
    before=$(other_threads "$1")
    all0=$(process_ticks "$1")
    [[ -n ${XSERVER_PID:-} ]] && x0=$(process_ticks "$XSERVER_PID")
    sleep "$seconds"
    after=$(other_threads "$1")
    all1=$(process_ticks "$1")
    [[ -n ${XSERVER_PID:-} ]] && x1=$(process_ticks "$XSERVER_PID")
    t1=$(date +%s%N)
    if ! kill -0 "$1" 2>/dev/null; then
        echo "window-refresh-cost: oplexa-host finished before the measurement did" >&2
        return 1
    fi
    local ns=$((t1 - t0)) others
    others=$(awk 'NR == FNR { was[$1] = $3; next } { t += $3 - was[$1] } END { print t + 0 }' \
        <(echo "$before") <(echo "$after"))
    echo "RESULT $2 $(percent "$others" "$ns") $(percent $((all1 - all0 - others)) "$ns")" \
        "$(percent $((x1 - x0)) "$ns")"
    awk -v label="$2" -v ns="$ns" -v hz="$ticks_per_second" '
        NR == FNR { was[$1] = $3; next }
        { by[$2] += $3 - was[$1] }
        END {
            line = "THREADS " label
            for (name in by) line = line sprintf(" %s=%.2f%%", name, 100 * by[name] / hz / (ns / 1e9))
            print line
        }' <(echo "$before") <(echo "$after")
}

# One host run: without DISPLAY one interval, with it one on the window's first page
# (AEffect) and one on the Dispatcher OpCodes page.
measure() {
    local work blocks start took_ms host_pid wid
    work=$(mktemp -d /tmp/oplexa-window-cost-XXXXXX)
    # Its own settings file beside the module: no switches saved by an earlier run.
    ln -s "$module" "$work/Oplexa.so"

    # Enough blocks to outlast the measurement twice over at the speed this machine has now.
    start=$(date +%s%N)
    OPLEXA_PLUGIN="$plugin" OPLEXA_LOG_FILE=/dev/null DISPLAY='' \
        "$host" --quiet --blocks 20000 "$work/Oplexa.so" >/dev/null 2>&1
    took_ms=$((($(date +%s%N) - start) / 1000000 + 1))
    blocks=$((20000 * (warmup + 2 * seconds + 10) * 2000 / took_ms))
    ((blocks > 10000000)) && blocks=10000000
    rm -f "$work/Oplexa.xml"

    OPLEXA_PLUGIN="$plugin" OPLEXA_LOG_FILE=/dev/null \
        "$host" --quiet --blocks "$blocks" "$work/Oplexa.so" >/dev/null 2>&1 &
    host_pid=$!

    if [[ -z ${DISPLAY:-} ]]; then
        sleep "$warmup"
        measure_interval "$host_pid" baseline
    else
        local tries=0
        until wid=$(xdotool search --name "^Oplexa - ${plugin##*/}\$" 2>/dev/null | head -n 1) &&
            [[ -n $wid ]]; do
            tries=$((tries + 1))
            if ((tries > 200)); then
                echo "window-refresh-cost: the monitor window did not appear" >&2
                kill "$host_pid"
                return 1
            fi
            sleep 0.1
        done
        sleep "$warmup"
        measure_interval "$host_pid" aeffect
        # The second tab, at the same place as in tests/gui/e2e_window.sh.
        eval "$(xdotool getwindowgeometry --shell "$wid")"
        xdotool mousemove --sync $((X + 100)) $((Y + 75)) click 1
        sleep 1
        measure_interval "$host_pid" dispatcher
    fi

    kill "$host_pid"
    wait "$host_pid" 2>/dev/null || true
    rm -rf "$work"
}

if [[ ${1:-} == --measure ]]; then
    # Inside the private X server: BUILD_DIR, SECONDS and the paths come from the caller.
    build=$2 seconds=$3
    host="$build/tools/oplexa-host" module="$build/Oplexa.so"
    plugin="$build/tests/plugins/oplexa-demo-gain.so"
    measure
    exit
fi

build=$(cd "${1:-build}" && pwd)
seconds=${2:-20}
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
baseline=$(DISPLAY='' XSERVER_PID='' measure)

echo "Measuring ${seconds} s with the window open (Xvfb, openbox) ..."
# xvfb-run starts Xvfb and the command as its two children; the command finds the server
# as its sibling.
# shellcheck disable=SC2016 # the inner script expands its own variables
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

result() { # OUTPUT LABEL: the numbers of that label's line
    grep "^RESULT $2 " <<<"$1" | cut -d' ' -f3-
}
read -r base_others base_main _ <<<"$(result "$baseline" baseline)"

echo
echo "| run | Oplexa's threads, % of one core | host's audio thread | Xvfb | refresh cost |"
echo "| --- | ---: | ---: | ---: | ---: |"
echo "| no window | $base_others | $base_main | - | - |"
worst=0
threads=""
for page in aeffect dispatcher; do
    read -r others main xserver <<<"$(result "$windowed" "$page")"
    cost=$(awk -v a="$others" -v b="$base_others" 'BEGIN { printf "%.2f", a - b }')
    worst=$(awk -v a="$cost" -v b="$worst" 'BEGIN { print (a > b ? a : b) }')
    name=$([[ $page == aeffect ]] && echo "window, AEffect page" || echo "window, Dispatcher OpCodes page")
    echo "| $name | $others | $main | $xserver | $cost |"
    threads+="$name: $(grep "^THREADS $page " <<<"$windowed" | cut -d' ' -f3-)"$'\n'
done
echo
echo "By thread (oplexa-host is the name Oplexa's message thread inherits):"
printf '%s' "$threads"
verdict=$(awk -v c="$worst" 'BEGIN { print (c < 2 ? "within" : "over") }')
echo
echo "Window refresh cost: at most $worst% of one core ($verdict the 2% budget)"
