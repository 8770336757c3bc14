#!/usr/bin/env python3
"""Writes recordings whose records carry valid checksums but hostile counts, lengths and sizes,
one file per case, to the folder given: crafted_recordings.py FOLDER [diverging]. Prints each
file's name. With "diverging", sound recordings whose replays diverge instead, and one damaged."""
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
def call(function, opcode=0, index=0, value=0, data=(), thread=1, mxcsr=0x1F80, ptr=0x1000):
    return record([0, thread, 0, function, opcode, index, value, 0.5, ptr, mxcsr, 1000, listed(data)])


def ret(function, opcode=0, result=0, data=(), thread=1):
    return record([1, thread, 0, function, opcode, result, 2000, listed(data)])


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

if __name__ == "__main__":
    folder = sys.argv[1]
    for name, records in (DIVERGING if sys.argv[2:] == ["diverging"] else CASES).items():
        header = list(VERSIONS[version_of(name)])
        header[5] = name.startswith("full-")
        with open(f"{folder}/{name}.oplexarec", "wb") as out:
            out.write(item(header) + records + record([3]))
        print(name)
