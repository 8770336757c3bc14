#!/usr/bin/env bash
# Sessions recorded through Oplexa from oplexa-host and replayed: against the same plug-in they
# replay identically, against another one they diverge, and damaged, cut or foreign files end
# the replay with their own exit code and one line that names the record.
. "$(dirname "$0")/common.sh"
need /usr/lib/vst/MVerb-vst.so
HOSTED=(env DISPLAY='' "$OPLEXA_HOST" --quiet --blocks 6)

# record NAME PLUGIN [HOST OPTIONS...]: the session's log in $WORK/NAME.log, its file in $WORK/NAME/
# or in RECORD_TO when that is set (empty: the settings file's recordFolder, if any)
record() {
    local name=$1 plugin=$2
    shift 2
    mkdir -p "$WORK/$name"
    OPLEXA_RECORD=${RECORD_TO-$WORK/$name} OPLEXA_PLUGIN=$plugin OPLEXA_LOG_FILE="$WORK/$name.log" \
        "${HOSTED[@]}" "$@" "$MODULE" > /dev/null 2>&1
}
recording() { ls "$WORK/$1"/*.oplexarec 2> /dev/null | head -1; }
# replays FILE [PLUGIN] [OPTIONS]; its problem lines in $WORK/replay.err
replay() {
    local file=$1
    shift
    DISPLAY='' "$OPLEXA_HOST" --quiet --replay "$file" "$@" > /dev/null 2> "$WORK/replay.err"
}

# plug-in | host options | another plug-in the replay must diverge on
rows=(
    "/usr/lib/vst/MVerb-vst.so|--params|/usr/lib/vst/MaGigaverb-vst.so"
    "/usr/lib/vst/MaGigaverb-vst.so||/usr/lib/vst/MaFreeverb-vst.so"
    "/usr/lib/vst/Kars-vst.so|--notes|/usr/lib/vst/Nekobi-vst.so"
    "/usr/lib/vst/lsp-plugins/compressor-stereo.so||/usr/lib/vst/lsp-plugins/compressor-mono.so"
    "/usr/lib/vst/ZamComp-vst.so|--params|/usr/lib/vst/ZamCompX2-vst.so"
    "/usr/lib/lxvst/DragonflyRoomReverb-vst.so||/usr/lib/lxvst/DragonflyPlateReverb-vst.so"
)
n=0
for row in "${rows[@]}"; do
    IFS='|' read -r plugin options other <<< "$row"
    [ -e "$plugin" ] || { echo "skipped: $plugin is not installed"; continue; }
    n=$((n + 1))
    # shellcheck disable=SC2086
    record "r$n" "$plugin" $options --write-audio "$WORK/r$n.raw"
    file=$(recording "r$n")
    name=$(basename "$plugin")
    check "$name: the log names the file" grep -qF "Recording to $file" "$WORK/r$n.log"
    check "$name: the file is named after the plug-in, instance and time" \
        grep -qE "/$name#1-[0-9]{8}-[0-9]{6}\.oplexarec\$" <<< "$file"
    check "$name: only its owner can read it (0600)" [ "$(stat -c %a "$file")" = 600 ]
    replay "$file" --write-audio "$WORK/p$n.raw"
    check "$name: replays identically (exit 0)" [ $? -eq 0 ]
    check "$name: replayed audio is the recorded session's" cmp -s "$WORK/r$n.raw" "$WORK/p$n.raw"
    replay "$file" "$other"
    code=$?
    check "$name: diverges on $(basename "$other") (exit 7)" [ $code -eq 7 ]
    check "$name: the divergence names call, opcode, expected and got" \
        grep -qE "diverged at call [0-9]+ \([a-zA-Z]+.*expected .*, got " "$WORK/replay.err"
done

# Damage to the MVerb recording: file | expected exit code | text of the line
file=$(recording r1)
size=$(stat -c %s "$file")
head -c $((size * 2 / 3)) "$file" > "$WORK/cut.rec"
# A copy with the format version (at byte 12) changed; a record damaged mid-file is in
# replay_divergences.sh.
cp "$file" "$WORK/version.rec"
printf '\x09' | dd of="$WORK/version.rec" bs=1 seek=12 conv=notrunc status=none
cases=(
    "$WORK/cut.rec|9|ends early at record"
    "$WORK/version.rec|8|format version"
    "$WORK/missing.rec|8|cannot open"
)
for row in "${cases[@]}"; do
    IFS='|' read -r damaged code text <<< "$row"
    replay "$damaged"
    got=$?
    check "$(basename "$damaged") gives exit $code" [ $got -eq "$code" ]
    check "$(basename "$damaged") says '$text' in one line" \
        [ "$(grep -cF "$text" "$WORK/replay.err")" -eq 1 ]
done

# A session that ends without Close leaves no end marker: everything is replayed, then 9.
record ended /usr/lib/vst/MVerb-vst.so --exit-without-close
replay "$(recording ended)"
check "a session ended by exit replays up to its end (exit 9)" [ $? -eq 9 ]
check "its line says 'without the end marker' once" [ "$(grep -o 'without the end marker' "$WORK/replay.err" | wc -l)" -eq 1 ]

# A crash inside a call: the recording holds every call of the session up to the crashing one (as
# the probe without the crash makes them), its replay crashes there again, and the mended probe
# replays it to its end (exit 9). crashing opcode | its name
calls() { "$OPLEXA_HOST" --print "$1" | sed -n 's/^#[0-9]* [0-9.]* (t[0-9]* [a-z]*) [^:]*:\([A-Za-z]*\).*/\1/p'; }
record mended "$OPLEXA_PROBE"
calls "$(recording mended)" > "$WORK/mended.calls"
for row in "45|effGetEffectName" "72|effStopProcess"; do
    IFS='|' read -r opcode name <<< "$row"
    crashing() { OPLEXA_PROBE_CRASH_OPCODE=$opcode OPLEXA_PROBE_CRASH=segv "$@"; }
    crashing record "crash$opcode" "$OPLEXA_PROBE"
    check "$name: the session crashes (status 139)" crashed_with $? 139
    file=$(recording "crash$opcode")
    check "$name: recorded every call up to and including it" cmp -s <(calls "$file") \
        <(sed "/^$name\$/q" "$WORK/mended.calls")
    crashing replay "$file"
    check "$name: its replay crashes there again (status 139)" crashed_with $? 139
    call=$("$OPLEXA_HOST" --print "$file" 2> /dev/null | sed -n "s/^#\([0-9]*\) [0-9.]* (\(t[0-9]* [a-z]*\)) [^:]*:$name .*/\1 ($name) on \2/p" | tail -1)
    check "$name: and names the call: SIGSEGV in call $call" grep -qxF "host: replay: SIGSEGV in call $call" "$WORK/replay.err"
    replay "$file"
    check "$name: the mended probe replays it to its end (exit 9)" [ $? -eq 9 ]
done

# Channels: past the 1024 a recording keeps, a block is a gap named in the log; the probe with
# 100 outputs records and replays them all, and --print shows every hash; an output it leaves
# alone in buffers the host dirties is not compared.
OPLEXA_PROBE_OUTPUTS=1100 record wider "$OPLEXA_PROBE" --block-size 64
wider='Recording dropped a process call with 2 inputs and 1100 outputs: a recording keeps at'
check "1100 outputs, past the 1024 kept, are a gap named once" \
    [ "$(grep -c "$wider most 1024 channels each\$" "$WORK/wider.log")" -eq 1 ]
OPLEXA_PROBE_OUTPUTS=100 record wide "$OPLEXA_PROBE"
replay "$(recording wide)"
check "100 outputs replay identically (exit 0)" [ $? -eq 0 ]
check "--print shows all 100 hashes of each of the 6 blocks" [ "$("$OPLEXA_HOST" --print \
    "$(recording wide)" | grep -c ':  outputs 96-99:\( xxh3 [0-9a-f]\{16\}\)\{4\}$')" -eq 6 ]
export OPLEXA_PROBE_UNWRITTEN_OUTPUT=1
record alone "$OPLEXA_PROBE" --dirty-outputs
replay "$(recording alone)"
check "an output left alone replays (exit 0)" [ $? -eq 0 ]
check "and is named once as not compared" [ "$(cat "$WORK/replay.err")" = \
    "host: replay: channel 1 not written by the plug-in in 6 blocks: not compared" ]
unset OPLEXA_PROBE_UNWRITTEN_OUTPUT

# A host of another make (Python's ctypes, its own signal, block size and parameter values)
# records a session that oplexa-host replays identically.
if sanitized; then
    echo "skipped: the ctypes host, Python can't load a sanitizer build of the module"
else
    mkdir -p "$WORK/py"
    OPLEXA_RECORD=$WORK/py OPLEXA_PLUGIN=/usr/lib/vst/MVerb-vst.so OPLEXA_LOG_FILE=$WORK/py.log \
        python3 "$(dirname "$0")/ctypes_host.py" "$MODULE"
    check "the ctypes host's session runs (exit 0)" [ $? -eq 0 ]
    check "its recording holds its 40 blocks of 300 frames" [ "$("$OPLEXA_HOST" --print \
        "$(recording py)" | grep -c 'processReplacing(inputs:0x[0-9a-f]*, outputs:0x[0-9a-f]*, sampleFrames:300)')" -eq 40 ]
    replay "$(recording py)"
    check "and replays identically in oplexa-host (exit 0)" [ $? -eq 0 ]
fi

# recordFolder and recordOutputs="full" from the settings file: divergences name the sample.
echo "<Oplexa><Logger><Parameters recordFolder=\"$WORK/full\" recordOutputs=\"full\"/></Logger></Oplexa>" \
    > "$WORK/Oplexa.xml"
RECORD_TO='' record full /usr/lib/vst/MVerb-vst.so
replay "$(recording full)"
check "full outputs replay identically" [ $? -eq 0 ]
check "the settings file keeps recordFolder" grep -q "recordFolder=\"$WORK/full\"" "$WORK/Oplexa.xml"
replay "$(recording full)" /usr/lib/vst/MaGigaverb-vst.so
check "full outputs diverge on another reverb (exit 7)" [ $? -eq 7 ]
rm "$WORK/Oplexa.xml"

# A folder that cannot be written stops the recording with one line; the session goes on.
RECORD_TO=/proc/oplexa-none record unwritable /usr/lib/vst/MVerb-vst.so
check "an unwritable folder leaves the session running" [ $? -eq 0 ]
check "and says so in one line" [ "$(grep -c 'Recording stopped: ' "$WORK/unwritable.log")" -eq 1 ]

# With recording on or off the log's lines are the same, but for the line naming the file.
RECORD_TO='' record off /usr/lib/vst/MVerb-vst.so --params
same() { sed -e 's/^([0-9A-F]*) //' -e 's/0x[0-9a-f]*/PTR/g' -e '2d' -e '/^Oplexa.so:Oplexa - /d' -e '/Recording to /d' -e '/Log lines go to /d' "$1"; }
check "log lines are byte-identical with recording on and off" \
    cmp -s <(same "$WORK/r1.log") <(same "$WORK/off.log")
finish
