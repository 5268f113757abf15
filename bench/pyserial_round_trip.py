#!/usr/bin/python3
"""The round trip a user would script with pyserial: write the read-all request,
read until the 25-byte reply frame is in, time it with perf_counter_ns.

Usage: pyserial_round_trip.py DEVICE BAUD REQUEST_HEX WARMUP COUNT
Prints one round-trip time in nanoseconds per line for the COUNT measured
requests; exits 1 when a reply does not come within 2 s.
"""
import sys
import time

import serial

FRAME_SIZE = 25


def main():
    device, baud, request_hex, warmup, count = sys.argv[1:6]
    request = bytes.fromhex(request_hex)
    warmup, count = int(warmup), int(count)
    samples = []
    with serial.Serial(device, int(baud), timeout=2) as port:
        port.reset_input_buffer()
        for i in range(warmup + count):
            start = time.perf_counter_ns()
            port.write(request)
            reply = port.read(FRAME_SIZE)
            end = time.perf_counter_ns()
            if len(reply) != FRAME_SIZE or reply[:2] != b"\xaf\xaf":
                print(f"pyserial_round_trip: bad reply {reply.hex()} to request {i}",
                      file=sys.stderr)
                return 1
            if i >= warmup:
                samples.append(end - start)
    print("\n".join(str(sample) for sample in samples))
    return 0


if __name__ == "__main__":
    sys.exit(main())
