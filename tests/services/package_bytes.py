"""Deterministic test packages shared by the download servers and the tests.

A package of N bytes is the first N bytes of an endless repetition of one
pseudo-random block whose length (1048583) is no power of two, so a range
served from the wrong offset changes the bytes and the digest.
"""
import hashlib
import random
import sys

PERIOD = 1048583
_BLOCK = random.Random(20261211).randbytes(PERIOD)
_DIGESTS = {}


def chunk(offset, length):
    """Bytes [offset, offset + length) of any package (they share one stream)."""
    out = bytearray()
    while length > 0:
        start = offset % PERIOD
        take = min(length, PERIOD - start)
        out += _BLOCK[start:start + take]
        offset += take
        length -= take
    return bytes(out)


def md5(size):
    if size not in _DIGESTS:
        digest = hashlib.md5()
        for offset in range(0, size, PERIOD):
            digest.update(chunk(offset, min(PERIOD, size - offset)))
        _DIGESTS[size] = digest.hexdigest()
    return _DIGESTS[size]


def write(path, size):
    with open(path, "wb") as out:
        for offset in range(0, size, PERIOD):
            out.write(chunk(offset, min(PERIOD, size - offset)))


if __name__ == "__main__":
    # package_bytes.py PATH SIZE: writes the package and prints its digest.
    write(sys.argv[1], int(sys.argv[2]))
    print(md5(int(sys.argv[2])))
