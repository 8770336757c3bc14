"""A second, independent VST 2 host for the recording tests, written with nothing from
oplexa-host: loads MODULE.so, opens it, sets parameters, processes blocks of its own signal
(a decaying chirp, 300 frames a block, 48 kHz) and closes.   ctypes_host.py MODULE.so"""
import ctypes as C
import math
import sys

INTPTR = C.c_ssize_t
DISPATCHER = C.CFUNCTYPE(INTPTR, C.c_void_p, C.c_int32, C.c_int32, INTPTR, C.c_void_p, C.c_float)
PROCESS = C.CFUNCTYPE(None, C.c_void_p, C.POINTER(C.POINTER(C.c_float)),
                      C.POINTER(C.POINTER(C.c_float)), C.c_int32)
SET_PARAMETER = C.CFUNCTYPE(None, C.c_void_p, C.c_int32, C.c_float)
GET_PARAMETER = C.CFUNCTYPE(C.c_float, C.c_void_p, C.c_int32)


class AEffect(C.Structure):
    _fields_ = [("magic", C.c_int32), ("dispatcher", DISPATCHER), ("process", PROCESS),
                ("setParameter", SET_PARAMETER), ("getParameter", GET_PARAMETER),
                ("numPrograms", C.c_int32), ("numParams", C.c_int32), ("numInputs", C.c_int32),
                ("numOutputs", C.c_int32), ("flags", C.c_int32), ("resvd1", INTPTR),
                ("resvd2", INTPTR), ("initialDelay", C.c_int32), ("realQualities", C.c_int32),
                ("offQualities", C.c_int32), ("ioRatio", C.c_float), ("object", C.c_void_p),
                ("user", C.c_void_p), ("uniqueID", C.c_int32), ("version", C.c_int32),
                ("processReplacing", PROCESS), ("processDoubleReplacing", C.c_void_p),
                ("future", C.c_char * 56)]


@DISPATCHER
def audio_master(effect, opcode, index, value, ptr, opt):
    return 2400 if opcode == 1 else 0  # audioMasterVersion; nothing else is offered


FRAMES, RATE, BLOCKS = 300, 48000.0, 40
module = C.CDLL(sys.argv[1])
main = C.CFUNCTYPE(C.POINTER(AEffect), DISPATCHER)(("VSTPluginMain", module))
effect = main(audio_master)
if not effect or effect.contents.magic != 0x56737450:
    sys.exit("no VST 2 record")
fx = effect.contents
call = lambda opcode, index=0, value=0, ptr=None, opt=0.0: fx.dispatcher(effect, opcode, index,
                                                                         value, ptr, opt)
call(0)                          # effOpen
call(10, opt=RATE)               # effSetSampleRate
call(11, value=FRAMES)           # effSetBlockSize
name = C.create_string_buffer(256)
call(45, ptr=C.cast(name, C.c_void_p))  # effGetEffectName
for index in range(fx.numParams):
    fx.setParameter(effect, index, (index * 0.37) % 1.0)
    fx.getParameter(effect, index)
call(12, value=1)                # effMainsChanged on
call(71)                         # effStartProcess
channel = C.c_float * FRAMES
inputs = [channel() for _ in range(max(fx.numInputs, 1))]
outputs = [channel() for _ in range(max(fx.numOutputs, 1))]
in_ptrs = (C.POINTER(C.c_float) * len(inputs))(*[C.cast(b, C.POINTER(C.c_float)) for b in inputs])
out_ptrs = (C.POINTER(C.c_float) * len(outputs))(*[C.cast(b, C.POINTER(C.c_float)) for b in outputs])
for block in range(BLOCKS):
    for c, buffer in enumerate(inputs):
        for i in range(FRAMES):
            t = (block * FRAMES + i) / RATE
            buffer[i] = math.exp(-3 * t) * math.sin(2 * math.pi * (200 + 2000 * t) * t + c)
    if block == BLOCKS // 2 and fx.numParams > 0:
        fx.setParameter(effect, 0, 0.9)
    fx.processReplacing(effect, in_ptrs, out_ptrs, FRAMES)
call(72)                         # effStopProcess
call(12, value=0)                # effMainsChanged off
call(1)                          # effClose
