#!/usr/bin/env python3
"""Writes recordings whose records carry valid checksums but hostile counts, lengths and sizes,
one file per case, to the folder given: crafted_recordings.py FOLDER [diverging]. Prints each
file's name. With "diverging", sound recordings whose replays diverge instead, and one damaged;
with "stats", recordings with set times for `oplexa stats`; with "rules", sessions that each break
one protocol rule (named after it), and clean ones."""
import ctypes
import struct
import sys

XXH32 = ctypes.CDLL("libxxhash.so.0").XXH32
XXH32.restype = ctypes.c_uint32
XXH32.argtypes = [ctypes.c_char_p, ctypes.c_size_t, ctypes.c_uint32]


def head(major, value):
    for info, size in ((24, 1), (25, 2), (26, 4), (27, 8)):
        if value < 24:
            return bytes([major << 5 | value])
        if value < 1 << (8 * size):
            return bytes([major << 5 | info]) + value.to_bytes(size, "big")
    raise ValueError(value)


def item(value):
    if isinstance(value, bool):
        return b"\xf5" if value else b"\xf4"
    if isinstance(value, int):
        return head(0, value) if value >= 0 else head(1, -1 - value)
    if isinstance(value, float):
        return b"\xfa" + struct.pack(">f", value)
    if isinstance(value, str):
        return head(3, len(value.encode())) + value.encode()
    if isinstance(value, (bytes, bytearray)):
        return head(2, len(value)) + bytes(value)
    if isinstance(value, Raw):
        return value.data
    return head(4, len(value)) + b"".join(item(v) for v in value)


class Raw:
    def __init__(self, data):
        self.data = data


def record(payload):
    data = item(payload)
    return item([data, XXH32(data, len(data), 0)])


def listed(data):
    return data if isinstance(data, Raw) else list(data)


# call [0, thread, role, function, opcode, index, value, opt, ptr, mxcsr, ticks, data]
def call(function, opcode=0, index=0, value=0, data=(), thread=1, mxcsr=0x1F80, ptr=0x1000,
         ticks=1000, role=None, opt=0.5):
    role = int(thread == 2) if role is None else role
    return record([0, thread, role, function, opcode, index, value, opt, ptr, mxcsr, ticks,
                   listed(data)])


def ret(function, opcode=0, result=0, data=(), thread=1, ticks=2000, role=None):
    role = int(thread == 2) if role is None else role
    return record([1, thread, role, function, opcode, result, ticks, listed(data)])


# version 4: the plug-in's record [4, thread, flags, programs, params, inputs, outputs, delay,
# functions], and a process return with its outputs' hashes and counts [channel, NaN or infinite,
# denormal]...
def plugin(delay=0, functions=0x7D, outputs=2):
    return record([4, 1, 0x31, 3, 4, 2, outputs, delay, functions])


def counted(outputs, data, counts):
    return record([1, 1, 1, 3, outputs, 0, 2000, listed(data), counts])


SET_PARAMETER, PROCESS_REPLACING, DISPATCHER = 4, 3, 0
block = lambda frames: struct.pack("<f", 0.25) * frames
CASES = {
    "plain": call(SET_PARAMETER),
    "outputs-2e31": call(PROCESS_REPLACING, 2**31 - 1, 0, 64, [0, 2**31 - 1, 0x2000]),
    "inputs-2e31": call(PROCESS_REPLACING, 2, 2**31 - 1, 64, [0, 2, 0x2000]),
    "mxcsr-ffffffff": call(SET_PARAMETER, mxcsr=0xFFFFFFFF),
    "mxcsr-unmasked": call(PROCESS_REPLACING, 2, 2, 64, [0, 2, 0x2000, block(64), block(64)],
                           mxcsr=0) + call(SET_PARAMETER, mxcsr=0),
    "frames-2e28": call(PROCESS_REPLACING, 2, 2, 2**28, [0, 2, 0x2000, b"", b""]),
    "channels-and-frames": call(PROCESS_REPLACING, 1024, 1024, 65536, [0, 1024, 0x2000]),
    "outputs-1e7": call(PROCESS_REPLACING, 2, 0, 64, [0, 2, 0x2000])
    + ret(PROCESS_REPLACING, 2, 0, Raw(head(4, 10**7) + b"\x00" * 10**7)),
    "events-4e6": call(DISPATCHER, 25, data=Raw(head(4, 4 * 10**6 + 1) + head(0, 2**32 - 1)
                                                + b"\x40" * (4 * 10**6))),
    "text-2e40": call(DISPATCHER, 51, data=Raw(head(2, 2**40) + b"x" * 64)),
    "text-24mb": call(DISPATCHER, 51, data=[b"x" * (24 << 20)]),
    "chunk-2e40": call(DISPATCHER, 24, value=2**40, data=[b"0123456789"]),
    "chunk-size-16mb": call(DISPATCHER, 24, value=16 << 20, data=[b"0123456789"]),
    "thread-2e32": call(SET_PARAMETER, thread=2**32 - 1) + call(SET_PARAMETER, thread=2**64 - 1),
    "threads-5000": b"".join(call(SET_PARAMETER, thread=t) for t in range(1, 5001)),
    "blocks-5000": b"".join([call(PROCESS_REPLACING, 30, 2, 65536, [0, 30, 0x2000, b"", b""])] * 5000),
    "calls-1e6": b"".join([call(SET_PARAMETER)] * 10**6),
    "gap-2e64": record([2, 2**64 - 1]),
    "negative-2e63": call(DISPATCHER, 1, value=Raw(b"\x3b" + b"\xff" * 8)),
    "plugin": plugin() + call(SET_PARAMETER) + plugin(480) + ret(SET_PARAMETER) + plugin(-1, 0),
    "plugin-free": call(SET_PARAMETER) + ret(SET_PARAMETER),
    "plugin-fields": record([4, 1, 0x31, 3, 4, 2, 2, 0]),
    "plugin-functions-128": plugin(functions=128),
    "plugin-delay-2e31": plugin(2**31),
    "plugin-outputs-2e32": plugin(outputs=-2**32),
    "v3-plugin": plugin() + call(SET_PARAMETER),
    "counts": call(PROCESS_REPLACING, 2, 2, 64, [0, 2, 0x2000, block(64), block(64)])
    + counted(2, [1, 2], [0, 64, 0, 1, 3, 61]),
    "counts-channel-2": counted(2, [1, 2], [2, 1, 0]),
    "counts-unsorted": counted(2, [1, 2], [1, 1, 0, 0, 1, 0]),
    "counts-2e32": counted(2, [1, 2], [0, 2**32, 0]),
    "counts-short": counted(2, [1, 2], [0, 1]),
    "counts-full": counted(2, [block(64), block(64)], []),
    "counts-1025-outputs": counted(1025, list(range(1025)), []),
    "v3-counts": counted(2, [1, 2], []),
    "v3-process": call(PROCESS_REPLACING, 2, 2, 64, [0, 2, 0x2000, block(64), block(64)])
    + ret(PROCESS_REPLACING, 2, 0, [1, 2]),
}

# The header of each format version (1 had no clock: its times are nanoseconds); 4 is the current.
CURRENT = 4
start = ["OPLEXA-REC", CURRENT, "probe.so", 1, "20261207-000000", False]
clock = [0, 0, 1000000000]
VERSIONS = {version: start[:1] + [version] + start[2:] + ([] if version == 1 else clock)
            for version in range(CURRENT + 2)}
CASES.update({f"version-{v}": call(SET_PARAMETER) for v in VERSIONS if v != CURRENT})


def version_of(name):
    """A case's format version: version-N's own, v3- ones a version 3 file's, else the current."""
    return int(name[8:]) if name.startswith("version-") else 3 if name.startswith("v3-") else CURRENT

# Replayed with the probe, each diverges in its own way; "full-" ones record full outputs.
PROCESS, GET_PARAMETER, PROCESS_DOUBLE = 2, 5, 6
stereo = lambda frames, data=block(64): [0, 2, 0x2000, data, data]
DIVERGING = {
    "result": call(DISPATCHER, 49) + ret(DISPATCHER, 49, 12345),
    "text": call(DISPATCHER, 45) + ret(DISPATCHER, 45, 1, [b"Other"]),
    "chunk": call(DISPATCHER, 23) + ret(DISPATCHER, 23, 20, [b"x" * 20]),
    "incomplete": call(PROCESS_REPLACING, 2, 2, 64, [0, 2, 0x2000]),
    "samples": call(PROCESS_REPLACING, 2, 2, 65536, stereo(65536, b"")),
    "no-function": call(PROCESS_DOUBLE, 2, 2, 64, stereo(64)),
    "channels": call(PROCESS_REPLACING, 2, 2, 64, stereo(64)) + ret(PROCESS_REPLACING, 2, 0, [5]),
    "hash": call(PROCESS, 2, 2, 64, stereo(64)) + ret(PROCESS, 2, 0, [1, 2]),
    "full-sample": call(SET_PARAMETER) + call(PROCESS_REPLACING, 2, 2, 64, stereo(64))
    + ret(PROCESS_REPLACING, 2, 0, [block(64), block(64)]),
    "parameter": call(GET_PARAMETER, 0, 1) + ret(GET_PARAMETER, 0, 0.75),
    # Not a divergence: the second record's checksum is off by one.
    # Printed, not replayed: 20 outputs' hashes, audioMasterGetTime (filter 0x202) inside.
    "wide": call(PROCESS_REPLACING, 20, 0, 64, [0, 20, 0x2000]) + call(1, 7, value=0x202)
    + ret(1, 7, 0x7F0010) + ret(PROCESS_REPLACING, 20, 0, list(range(0x10, 0x24))),
    "damaged": call(SET_PARAMETER) + call(SET_PARAMETER)[:-1] + bytes([call(SET_PARAMETER)[-1] ^ 1]),
}


# For `oplexa stats`, with set times (the clock counts nanoseconds): the rate 48 kHz, 200
# getParameter calls of 1 to 200 µs on t1, then on t2 (audio) blocks of 480 frames (10 ms of
# budget) every 20 ms from 30 ms, taking BLOCK_US; the third makes a 500 µs audioMasterGetTime.
# "stats-long": 5000 blocks of 64 frames (1.333 ms), 100 µs each but three of 2 ms.
BLOCK_US = [1000, 2000, 2000, 3000, 4000, 5000, 12000, 6000, 15000, 11000]
AUDIO = dict(thread=2, role=1)


def timed(function, begin, ns, opcode=0, value=0, opt=0.5, data=(), inside=b"", **thread):
    stereo = function == PROCESS_REPLACING
    return (call(function, 2 if stereo else opcode, 2 if stereo else 0, value, data, ticks=begin,
                 opt=opt, **thread) + inside
            + ret(function, 2 if stereo else opcode, 0.5 if function == GET_PARAMETER else 0,
                  [1, 2] if stereo else (), ticks=begin + ns, **thread))


def blocks(frames, durations, every, start=30_000_000):
    def inside(i, begin):
        return timed(1, begin + 100_000, 500_000, 7, **AUDIO) if i == 2 and frames == 480 else b""
    return b"".join(timed(PROCESS_REPLACING, start + i * every, us * 1000, value=frames,
                          data=[0, 2, 0x2000, block(frames), block(frames)],
                          inside=inside(i, start + i * every), **AUDIO)
                    for i, us in enumerate(durations))


def stats_recording(frames, durations, every, parameter_ns=[1000 * (i + 1) for i in range(200)]):
    return (timed(DISPATCHER, 0, 1000, 10, opt=48000.0)
            + b"".join(timed(GET_PARAMETER, 1000 + 200_000 * i, ns)
                       for i, ns in enumerate(parameter_ns))
            + blocks(frames, durations, every))


# Durations of four or more significant digits, which the percentiles give within 1 %.
LONG_PARAMETER_NS = [1234 + 99_991 * i % 187_003 for i in range(200)]
STATS = {
    "stats": stats_recording(480, BLOCK_US, 20_000_000),
    "stats-long": stats_recording(64, [2000 if i in (1000, 2500, 4999) else 100
                                       for i in range(5000)], 1_500_000, LONG_PARAMETER_NS),
}
# Ends inside its sixth block's return record.
STATS["stats-truncated"] = (stats_recording(480, BLOCK_US[:6], 20_000_000)[:-5], False)
# Lost five records inside its last block, whose time is then not known.
last = ret(PROCESS_REPLACING, 2, 0, [1, 2], ticks=221_000_000, **AUDIO)
STATS["stats-gap"] = STATS["stats"][:-len(last)] + record([2, 5]) + last

# Sessions for `oplexa check`: each breaks the rule it is named after, or none ("clean-").
# Thread 1 sets up, thread 2 processes; a process call takes 1 µs unless told.
D, MASTER = DISPATCHER, 1
both = lambda function, opcode=0, result=0, out=(), **kw: call(function, opcode, **kw) + ret(
    function, opcode, result, out, kw.get("thread", 1))
enter = lambda function=PROCESS_REPLACING, frames=64, thread=2: call(
    function, 2, 2, frames, stereo(frames), thread=thread)
leave = lambda function=PROCESS_REPLACING, outputs=(1, 2), thread=2, took=1000: ret(
    function, 2, 0, outputs, thread, 1000 + took)
audio = lambda function=PROCESS_REPLACING, frames=64, took=1000, outputs=(1, 2): enter(
    function, frames) + leave(function, outputs, took=took)
event = lambda delta: struct.pack("<iiii16s", 1, 32, delta, 0, b"\x90\x3c\x64")
events = lambda *deltas: both(D, 25, data=[len(deltas)] + [event(d) for d in deltas])
# [4, thread, flags, numPrograms, numParams, numInputs, numOutputs, initialDelay, functions]
facts = lambda flags=0x10, delay=0, functions=0x3D: record([4, 1, flags, 1, 4, 2, 2, delay, functions])
session = lambda middle=b"", before=b"", opening=both(D, 0): opening + both(
    D, 10, opt=48000.0) + both(D, 11, value=64) + before + both(D, 12, value=1) + middle + both(
    D, 12, value=0) + both(D, 1)
channel = lambda sample: struct.pack("<f", sample) * 64
well = (events(0, 10) + audio() + both(SET_PARAMETER) + both(GET_PARAMETER, 0, 0.5)
        + both(D, 8, out=[b"Gain"]) + enter() + both(MASTER, 7, thread=2) + leave() + both(D, 19)
        + both(MASTER, 32, 1, [b"Oplexa"]))
RULES = {  # name: (version, full outputs, records)
    "clean": (3, False, session(well)),
    # Latency changed inside effOpen, and later followed by audioMasterIOChanged.
    "clean-v4": (4, False, facts() + session(well + facts(delay=128) + both(MASTER, 13),
                                             opening=call(D, 0) + facts(delay=64) + ret(D, 0))),
    # A process return lost in a gap: no thread processes on.
    "clean-gap": (3, False, session(enter() + record([2, 1]) + audio())),
    "clean-full": (3, True, session(audio(outputs=[channel(0.25), channel(-1.0)]))),
    "process-while-suspended": (3, False, session(before=audio())),
    "setup-while-resumed": (3, False, session(both(D, 11, value=64))),
    "block-larger-than-set": (3, False, session(audio(frames=128))),
    "concurrent-process": (3, False, session(enter() + enter(thread=3) + leave(thread=3) + leave())),
    "process-during-setup": (3, False, session(enter() + both(D, 12, value=1) + leave())),
    "call-after-close": (3, False, session() + both(D, 45)),  # live only: never from a file
    "index-out-of-range": (3, False, session(both(SET_PARAMETER, index=-1))),
    "index-out-of-range-v4": (4, False, facts() + session(both(D, 8, index=4, out=[b"x"]))),
    "parameter-value-out-of-range": (3, False, session(both(SET_PARAMETER, opt=1.5))),
    "function-not-offered": (4, False, facts(flags=0, functions=1) + session(audio())),
    "precision-not-set": (3, False, session(audio(PROCESS_DOUBLE))),
    "editor-thread": (3, False, session(audio() + both(D, 19, thread=2))),
    "null-buffer": (3, False, session(both(D, 8, ptr=0))),
    "event-outside-block": (3, False, session(events(64) + audio())),
    "events-unsorted": (3, False, session(events(10, 5) + audio())),
    "text-too-long": (3, False, session(both(D, 8, 1, [b"Gain (dB)"]))),
    "parameter-out-of-range": (3, False, session(both(GET_PARAMETER, 0, 1.5))),
    "output-not-finite": (3, True, session(audio(outputs=[channel(0.5), channel(float("nan"))]))),
    "output-denormal": (3, True, session(audio(outputs=[channel(1e-40), channel(0.5)]))),
    "latency-change-unannounced": (4, False, facts() + session(enter() + facts(delay=480) + leave()
                                                                  + audio())),
    "blocking-callback-in-process": (3, False, session(enter() + both(MASTER, 13, thread=2) + leave())),
    "display-update-in-process": (3, False, session(enter() + both(MASTER, 42, thread=2) + leave())),
    "process-over-budget": (3, False, session(audio() + audio(took=2000000))),
    "chunk-inconsistent": (3, False, session(both(D, 23, -1))),
    "replacing-not-flagged": (4, False, facts(flags=0) + session()),
}

if __name__ == "__main__":
    folder = sys.argv[1]
    mode = sys.argv[2:]
    if mode == ["rules"]:
        for name, (version, full, records) in RULES.items():
            with open(f"{folder}/{name}.oplexarec", "wb") as out:
                out.write(item(VERSIONS[version][:5] + [full] + clock) + records + record([3]))
            print(name, version)
        sys.exit()
    for name, records in (DIVERGING if mode == ["diverging"] else STATS if mode == ["stats"]
                          else CASES).items():
        records, ended = records if isinstance(records, tuple) else (records, True)
        header = list(VERSIONS[3 if mode == ["stats"] else version_of(name)])
        header[5] = name.startswith("full-")
        with open(f"{folder}/{name}.oplexarec", "wb") as out:
            out.write(item(header) + records + (record([3]) if ended else b""))
        print(name)
