"""Loads several wrappers into one process, opens each, asks its name and I/O, closes it, and
prints one line per wrapper and how many Oplexa.so files the process has mapped.
two_wrappers.py WRAPPER.so..."""
import ctypes as C
import sys

INTPTR = C.c_ssize_t
DISPATCHER = C.CFUNCTYPE(INTPTR, C.c_void_p, C.c_int32, C.c_int32, INTPTR, C.c_void_p, C.c_float)


class AEffect(C.Structure):
    _fields_ = [("magic", C.c_int32), ("dispatcher", DISPATCHER), ("functions", C.c_void_p * 3),
                ("numPrograms", C.c_int32), ("numParams", C.c_int32), ("numInputs", C.c_int32),
                ("numOutputs", C.c_int32)]


@DISPATCHER
def audio_master(effect, opcode, index, value, ptr, opt):
    return 2400 if opcode == 1 else 0


effects = []
for path in sys.argv[1:]:
    main = C.CFUNCTYPE(C.POINTER(AEffect), DISPATCHER)(("VSTPluginMain", C.CDLL(path)))
    effects.append((path, main(audio_master)))
for path, effect in effects:  # all open at once before any closes
    name = C.create_string_buffer(256)
    effect.contents.dispatcher(effect, 0, 0, 0, None, 0.0)
    effect.contents.dispatcher(effect, 45, 0, 0, C.cast(name, C.c_void_p), 0.0)
    print(f"{path.rsplit('/', 1)[1]}: {name.value.decode()} "
          f"{effect.contents.numInputs} in {effect.contents.numOutputs} out", flush=True)
with open("/proc/self/maps") as maps:
    print("Oplexa.so mapped:", len({line.split()[-1] for line in maps if "Oplexa.so" in line}),
          flush=True)
for path, effect in effects:
    effect.contents.dispatcher(effect, 1, 0, 0, None, 0.0)
