#!/usr/bin/env python3
"""flood.py PORT SECONDS: what a stranger might throw at a waiting game's port on the
loopback address: random datagrams of every length, and connect commands cut short
anywhere. Prints how many it sent."""
import os
import random
import socket
import struct
import sys
import time

port, seconds = int(sys.argv[1]), float(sys.argv[2])
rng = random.Random(port)
out = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)


def connect_cut_short():
    head = struct.pack(">HH", 0x8FFF, rng.getrandbits(16))  # no peer yet, a sent time
    body = bytes([0x82, 0xFF]) + struct.pack(">H", 1) + os.urandom(44)
    whole = head + body
    return whole[: rng.randint(0, len(whole))]


sent = 0
end = time.monotonic() + seconds
while time.monotonic() < end:
    kind = sent % 3
    if kind == 0:
        data = os.urandom(rng.randint(0, 1400))
    elif kind == 1:
        data = connect_cut_short()
    else:
        data = os.urandom(rng.randint(0, 12))
    out.sendto(data, ("127.0.0.1", port))
    sent += 1
    if sent % 50 == 0:
        time.sleep(0.01)  # about 4 000 a second: a flood, not a test of the kernel
print(sent)
