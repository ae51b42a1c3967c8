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
    "world": [
        "block kind=zlib u16:10+u16:1+text:round u16:11+u16:1+u8:2+int:7+u16:1+u8:3+f32:1.5+u16:1+u8:5+str:hi "
        "u16:7+text:ball u16:8+u8:4+text:ball+u16:3+text:hp "
        "u16:9+u8:4+text:ball+text:int%20n%3B%20void%20Update(SceneObject%40%2B%20s%2C%20uint%20t)%20%7B%20n%2B%2B%3B%20%7D "
        "u16:6+text:void%20Created(SceneObject%40%2B%20s)%20%7B%7D "
        "u16:12+u32:5+u8:1+text:ball u16:12+u32:6+u8:2+text: u16:12+u32:7+u8:3+text:ball",
        "block u16:14+u32:5+u16:3+u8:3+f32:2.5 u16:15+u32:5+u8:2+u8:3+f32:160+u8:3+u8:3+f32:320+u8:14+u8:5+str:a.png "
        "u16:16+u32:5+text:void%20Created(SceneObject%40%2B%20s)%20%7B%20s.Position%20%3D%20vector3df(1%2C2%2C0)%3B%20%7D "
        "u16:17+u32:5 u16:18+u32:5+u8:0+f32:1 u16:18+u32:5+u8:1+f32:1+f32:2 "
        "u16:18+u32:5+u8:2+f32:0+f32:0+f32:2+f32:0+f32:0+f32:2",
        "block u16:5+text:2D u16:13+u32:6 u16:13+u32:5 u16:13+u32:99",
    ],
    "world_hostile": [
        "block u16:12+u32:5+u8:0+text: u16:12+u32:5+u8:1+text: u16:12+u32:0+u8:0+text: u16:12+u32:8+u8:4+text: "
        "u16:10+u16:1+text:a u16:10+u16:1+text:b u16:11+u16:1+u8:9+u16:1 u16:11+u8:1 "
        "u16:14+u32:5+u16:0+u8:9 u16:15+u32:5+u8:2+u8:3+f32:nan+u8:5+u8:3+f32:0+u8:99 "
        "u16:18+u32:5+u8:2+f32:1 u16:18+u32:5+u8:2+f32:0+f32:0+f32:1+f32:1+f32:2+f32:2 "
        "u16:18+u32:5+u8:2+f32:nan+f32:0+f32:1+f32:0+f32:0+f32:1 u16:18+u32:5+u8:0+f32:-1 "
        "u16:18+u32:5+u8:1+f32:inf+f32:1 u16:18+u32:5+u8:2+" + "+".join("f32:%d" % i for i in range(20)) +
        " u16:18+u32:5+u8:7 u16:17+u32:5 u16:13+u32:5 u16:16+u32:5+text:",
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
    # Past the bounds of what a server may make the client hold: each in a few KB on the wire.
    "bound_download": [
        "block u16:2+u16:1+u8:0+text:big.png",
        "flood kind=bzip2 1120 u16:3+u16:1+zeros:60000",
        "block u16:4+u16:1",
    ],
    "bound_objects": ["flood 33000 u16:12+seq:4:1+u8:0+text:"],
    "bound_classes": ["flood 4200 u16:7+text:c+num:1 u16:8+u8:2+text:c1+seq:2:1+text:a+num:1"],
    "bound_error_text": ["stream kind=bzip2 u16:1+rep:16000000:41+u16:1+text:next"],
    "bound_shapes": ["block u16:12+u32:1+u8:0+text:", "flood 300 u16:18+u32:1+u8:0+f32:1"],
    "bound_texts": ["flood 300 u16:10+seq:2:1+text:t+num:1",
                    "flood 300 u16:11+seq:2:1+u8:5+u8:4+u32:65536+rep:65536:41"],
    "bound_values": ["block u16:10+u16:1+text:hp u16:12+u32:1+u8:0+text:",
                     "block kind=bzip2 u16:11+rep:5000:0001010105 u16:15+u32:1+rep:5000:02030000803F"],
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
