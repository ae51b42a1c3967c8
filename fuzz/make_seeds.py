#!/usr/bin/env python3
"""Writes the receive fuzzer's seed corpus from the test server's own streams.

Starts tests/net/server/test_server.py, connects a silent client for every
scenario, has the server send the scenario's blocks and saves what it sent.
Each seed is the fuzzer's two control bytes (key 0, chunk size) followed by
the stream; no login is sent, so the server's cipher stays at key 0.

Usage: make_seeds.py OUTPUT_FOLDER
"""

import os
import socket
import subprocess
import sys

SERVER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "net", "server",
                      "test_server.py")


def file_packets(transfer, kind, name, data):
    return ["u16:2+u16:%d+u8:%d+text:%s" % (transfer, kind, name),
            "u16:3+u16:%d+%s" % (transfer, data),
            "u16:4+u16:%d" % transfer]


HOSTILE = ["..%2Fx", "a%2F..%2F..%2Fx", "%2Fetc%2Fx", "..", "", "a%2F%2Fb", "a%5C..%5Cx", "sub%2Fok.png"]

SCENARIOS = {
    "login_and_game": [
        "block kind=zlib " + " ".join(file_packets(1, 0, "tree.png", "rand:200")),
        "block kind=bzip2 " + " ".join(file_packets(2, 1, "walk.gani", "rep:40:47414E49303030310A")),
        "block kind=none u16:5+text:2D u16:1+text:game%20error u16:0",
        "block kind=zlib " + " ".join("u16:%d+u32:7+u8:1+text:x" % i for i in range(6, 19)),
    ],
    "hostile": [
        "block kind=zlib " + " ".join(
            packet for i, name in enumerate(HOSTILE) for packet in file_packets(i + 1, 0, name, "text:evil"))
        + " " + " ".join(file_packets(99, 5, "x.png", "text:kind")),
    ],
    "broken": [
        "frames kind=none hex:0112+u16:1",
        "frames kind=none text:spans%20two%20blocks+u8:0",
        "corrupt kind=3 hex:02000000",
        "corrupt kind=2 hex:0102030405060708",
        "frames kind=none hex:0500000000020000",
        "block u16:1+text:after%20the%20bad%20ones",
        "raw 0000",
        "raw 000100",
    ],
    "large": [
        "block kind=bzip2 u16:2+u16:1+u8:1+text:big.gani "
        + " ".join("u16:3+u16:1+rep:100:%02X" % (i & 0xFF) for i in range(400)) + " u16:4+u16:1",
    ],
}


class Server:
    def __init__(self):
        self.process = subprocess.Popen([sys.executable, SERVER, "--port", "0"], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, text=True)
        self.port = int(self.process.stdout.readline().split()[1])

    def command(self, line):
        self.process.stdin.write(line + "\n")
        self.process.stdin.flush()
        answer = self.process.stdout.readline().strip()
        if not answer.startswith("ok"):
            raise RuntimeError("%s: %s" % (line, answer))
        return answer

    def quit(self):
        self.command("quit")
        self.process.wait(5)


def main():
    out = os.path.abspath(sys.argv[1])
    os.makedirs(out, exist_ok=True)
    server = Server()
    clients = []
    for number, (name, commands) in enumerate(SCENARIOS.items(), start=1):
        clients.append(socket.create_connection(("127.0.0.1", server.port)))
        server.command("accept %d 5" % number)
        for line in commands:
            server.command(line)
        stream_path = os.path.join(out, name + ".stream")
        server.command("save " + stream_path)
        with open(stream_path, "rb") as handle:
            stream = handle.read()
        os.remove(stream_path)
        for chunk in (0, 3, 63):
            with open(os.path.join(out, "%s_%d" % (name, chunk)), "wb") as handle:
                handle.write(bytes([0, chunk]) + stream)
    server.quit()
    for client in clients:
        client.close()


if __name__ == "__main__":
    main()
