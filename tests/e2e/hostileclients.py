#!/usr/bin/python3
"""Clients that misbehave against the page's server, one after another, each bounded in count and
time, to one address of this machine only. Prints a line per client: its name, then what the
server did. Usage: hostileclients.py ADDRESS PORT TOKEN
"""
import socket
import sys
import time

ADDRESS, PORT, TOKEN = sys.argv[1], int(sys.argv[2]), sys.argv[3]
PAGE = f"/{TOKEN}/"


def connect(receive_buffer=0):
    s = socket.socket()
    if receive_buffer:
        s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, receive_buffer)
    s.settimeout(10)
    s.connect((ADDRESS, PORT))
    return s


def request(method, path, host=f"{ADDRESS}:{PORT}", extra=""):
    return f"{method} {path} HTTP/1.1\r\nHost: {host}\r\n{extra}\r\n".encode()


def outcome(request_bytes):
    """The status line, "refused" for an empty 404, or "closed" when nothing came back."""
    answer = b""
    with connect() as s:
        try:
            s.sendall(request_bytes)
            while chunk := s.recv(65536):
                answer += chunk
        except (ConnectionResetError, BrokenPipeError, socket.timeout):
            pass
    head, _, body = answer.partition(b"\r\n\r\n")
    status = head.split(b"\r\n")[0].decode(errors="replace")
    if not answer:
        return "closed"
    return "refused" if status.startswith("HTTP/1.1 404") and not body else status


def report(name, result):
    print(f"{name} {result}", flush=True)


report("wrongToken", outcome(request("GET", PAGE[::-1])))
report("noToken", outcome(request("GET", "/")))
report("otherMethod", outcome(request("POST", PAGE, extra="Content-Length: 0\r\n")))
report("foreignHost", outcome(request("GET", PAGE, host=f"rebound.example:{PORT}")))
report("hugeHeader", outcome(request("GET", PAGE, extra="X-Pad: " + "a" * 65536 + "\r\n")))

# A request a byte every half second, slower than any phone: the server gives up on it.
with connect() as s:
    s.settimeout(0.5)
    started, dropped = time.monotonic(), False
    for byte in request("GET", PAGE):
        try:
            s.sendall(bytes([byte]))
            dropped = s.recv(1) == b""
        except socket.timeout:
            pass
        except (BrokenPipeError, ConnectionResetError):
            dropped = True
        if dropped or time.monotonic() - started > 15:
            break
report("trickle", "dropped" if dropped and time.monotonic() - started < 10 else "kept")

# Two hundred connections at once, holding still for a second; then the page is still served.
crowd = [connect() for _ in range(200)]
time.sleep(1)
for s in crowd:
    s.close()
report("crowd", "served" if outcome(request("GET", PAGE)) == "HTTP/1.1 200 OK" else "not served")

# Update streams until the server says it has enough (one page is watching already), and the page
# asked for then.
streams = []
for _ in range(20):
    s = connect()
    s.sendall(request("GET", PAGE + "events"))
    if not s.recv(4096).startswith(b"HTTP/1.1 200"):
        s.close()
        break
    streams.append(s)
report("devices", f"{len(streams) + 1} {outcome(request('GET', PAGE))}")
for s in streams:
    s.close()

# A device that opens the stream and never reads, held while the test watches the real page.
with connect(receive_buffer=2048) as stuck:
    stuck.sendall(request("GET", PAGE + "events"))
    time.sleep(5)
report("nonReader", "held")
