#!/usr/bin/env python3
"""flood.py PORT SECONDS: what a stranger might throw at a waiting game's port on the
loopback address: random datagrams of every length, and connect commands cut short
anywhere. Prints how many it sent."""
from os import urandom
from random import Random
from socket import AF_INET, SOCK_DGRAM, socket
from struct import pack
from sys import argv
from time import monotonic, sleep

port, seconds = int(argv[1]), float(argv[2])
rng = Random(port)
out = socket(AF_INET, SOCK_DGRAM)


def connect_cut_short():
    head = pack(">HH", 0x8FFF, rng.getrandbits(16))  # no peer yet, a sent time
    body = bytes([0x82, 0xFF]) + pack(">H", 1) + urandom(44)
    whole = head + body
    return whole[: rng.randint(0, len(whole))]


sent = 0
end = monotonic() + seconds
while monotonic() < end:
    kind = sent % 3
    if kind == 0:
        data = urandom(rng.randint(0, 1400))
    elif kind == 1:
        data = connect_cut_short()
    else:
        data = urandom(rng.randint(0, 12))
    out.sendto(data, ("127.0.0.1", port))
    sent += 1
    if sent % 50 == 0:
        sleep(0.01)  # about 4 000 a second: a flood, not a test of the kernel
print(sent)
