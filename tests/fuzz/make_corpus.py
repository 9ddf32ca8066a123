#!/usr/bin/env python3
"""Writes the seed corpus of the host-call fuzzer into tests/fuzz/corpus/.

Each seed is a byte string read as host calls (see HostCalls.h): the
command texts users type, commands at and past the longest kept length,
and "Run" values that no host slider makes (NaN, infinities, -0, just
above 1). Run it again after changing the call encoding.
"""
import os
import struct

INSTANTIATE, DEINSTANTIATE, SET_WORD, SET_TEXT, SET_RUN, SET_SWITCH, GET, DISPLAY, \
    INSTANCE_CODE, FRAME, CODE_WITHOUT_INSTANCE, DEINITIALISE = range(12)


def u32(value):
    return struct.pack("<I", value)


def f32(value):
    return struct.pack("<f", value)


def instantiate(slot=0):
    return bytes([INSTANTIATE, slot, 0])


def text(command, slot=0, placement=0):
    data = command.encode()
    return bytes([SET_TEXT, slot, 0, placement]) + struct.pack("<H", len(data)) + data


def run(bits, slot=0):
    return bytes([SET_RUN, slot]) + bits


def switch(which, on, slot=0):
    return bytes([SET_SWITCH, slot, which, 1 if on else 0])


def set_word(index, bits, slot=0):
    return bytes([SET_WORD, slot, index]) + bits


def display(index, slot=0):
    return bytes([DISPLAY, slot, index])


def sweep(slot=0, steps=9):
    out = b""
    for i in range(steps):
        out += run(f32(i / (steps - 1)), slot) + display(1, slot)
    return out


COMMANDS = [
    "/fader f[0:255]", "/layer1/opacity f[0:1]", "/scene i[1:12]", "/a f[10:20]",
    "/abc i", "/a i[0:1e10]", "/a i", "/a i[0:10]", "/a f[5:]", "/a f[:10]",
    "/a[1:2] f", "/a[1:2]", "/a f[-1:1]", "/a", " /a", "/a int[0:10]", "/a I[0:10]",
    "/a f[0.0000000000001:1]", "/a f[12345678901234567890:2]", "/a f[0:1",
    "/a f[nan:inf]", "/a i[0x1p3:-inf]", "/a i[-3e38:3e38]", "", " ", "[", "/a [:]",
    # Destination URLs: taken, and refused in each way.
    "osc.udp://127.0.0.1:7711/x f[0:1]", "osc.udp://localhost:7000/a i[1:12]",
    "osc.udp://example.org:7711/x f", "osc.udp://127.0.0.1:0/x", "osc.tcp://127.0.0.1:7711/x",
    "osc.udp://127.0.0.1:7711", "osc.udp://[::1]:7711/x f",
]

RUN_VALUES = [
    u32(0x7FC00000), u32(0xFFC00001), u32(0x7F800000), u32(0xFF800000),
    u32(0x80000000), u32(0x3F800001), u32(0x00000001), f32(1.0), f32(0.0),
    f32(0.25), f32(0.999999), f32(-1.0), f32(3.0e38),
]


def seeds():
    for number, command in enumerate(COMMANDS):
        body = instantiate() + text(command) + switch(1, True) + sweep()
        body += switch(2, True) + bytes([SET_SWITCH, 0, 0, 1]) + sweep()
        body += set_word(5, f32(0.5)) + set_word(200, f32(1.5))
        yield f"command-{number:02d}", body
    for length in (2047, 2048, 4096):
        long_command = "/" + "a" * (length - 1)
        body = instantiate() + text(long_command) + sweep(steps=3)
        body += text(long_command) + text(long_command, placement=3)
        body += text(long_command[:100], placement=4) + sweep(steps=3)
        yield f"long-{length}", body
    body = instantiate() + text("/run f[0:10]") + switch(2, True)
    for value in RUN_VALUES:
        body += run(value) + display(1) + bytes([GET, 0, 1])
    body += switch(2, False)
    for value in RUN_VALUES:
        body += run(value) + display(1)
    yield "run-values", body
    body = instantiate() + text("/x f") + text("", placement=1) + text("", placement=2)
    body += instantiate(1) + text("/y i[0:100]", slot=1) + bytes([SET_SWITCH, 1, 1, 1])
    for index in range(4, 12):
        body += set_word(index, f32(0.1 * index), slot=1) + set_word(index, u32(0x7FC00000), slot=1)
    body += bytes([INSTANCE_CODE, 0, 1, 0, INSTANCE_CODE, 0, 2, 0, FRAME, 0, 0, FRAME, 0, 2])
    body += bytes([CODE_WITHOUT_INSTANCE, 4]) + u32(0) + bytes([DEINITIALISE]) + sweep(slot=1)
    body += bytes([DEINSTANTIATE, 0, DEINSTANTIATE, 1, INSTANTIATE, 2, 1])
    yield "instances", body


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")
    os.makedirs(folder, exist_ok=True)
    for name, body in seeds():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(body)


if __name__ == "__main__":
    main()
