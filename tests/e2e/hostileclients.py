#!/usr/bin/python3
"""Clients that misbehave against the page's server, one after another, each bounded in count and
time, to one address of this machine only. Prints a line per client: its name, then what the
server did.

Usage: hostileclients.py ADDRESS PORT TOKEN
"""
import socket
import sys
import time

ADDRESS, PORT, TOKEN = sys.argv[1], int(sys.argv[2]), sys.argv[3]
HOST = f"{ADDRESS}:{PORT}"


def connect(receive_buffer=None):
    s = socket.socket()
    if receive_buffer:
        s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, receive_buffer)
    s.settimeout(10)
    s.connect((ADDRESS, PORT))
    return s


def read_all(s, limit=1 << 20):
    data = b""
    try:
        while len(data) < limit:
            chunk = s.recv(65536)
            if not chunk:
                break
            data += chunk
    except (ConnectionResetError, socket.timeout):
        pass
    return data


def exchange(request):
    s = connect()
    try:
        s.sendall(request)
    except (BrokenPipeError, ConnectionResetError):
        pass
    answer = read_all(s)
    s.close()
    return answer


def outcome(answer):
    if not answer:
        return "closed"
    head, _, body = answer.partition(b"\r\n\r\n")
    status = head.split(b"\r\n")[0].decode(errors="replace")
    if status.startswith("HTTP/1.1 404") and not body:
        return "refused"
    return status


def request(method, path, host=HOST, extra=""):
    return f"{method} {path} HTTP/1.1\r\nHost: {host}\r\n{extra}\r\n".encode()


def report(name, result):
    print(f"{name} {result}", flush=True)


page = f"/{TOKEN}/"
report("wrongToken", outcome(exchange(request("GET", f"/{TOKEN[::-1]}/"))))
report("noToken", outcome(exchange(request("GET", "/"))))
report("otherMethod", outcome(exchange(request("POST", page, extra="Content-Length: 0\r\n"))))
report("foreignHost", outcome(exchange(request("GET", page, host=f"rebound.example:{PORT}"))))
report("hugeHeader", outcome(exchange(request("GET", page, extra="X-Pad: " + "a" * 65536 + "\r\n"))))

# A request a byte at a time, slower than any phone: the server gives up on it.
s = connect()
started = time.monotonic()
closed_after = None
for byte in request("GET", page):
    try:
        s.sendall(bytes([byte]))
        s.settimeout(0.5)
        if s.recv(1) == b"":
            closed_after = time.monotonic() - started
            break
    except socket.timeout:
        pass
    except (BrokenPipeError, ConnectionResetError):
        closed_after = time.monotonic() - started
        break
    if time.monotonic() - started > 15:
        break
s.close()
report("trickle", "dropped" if closed_after is not None and closed_after < 10 else "kept")

# Two hundred connections at once, holding still; then the page is still served.
crowd = []
for _ in range(200):
    try:
        crowd.append(connect())
    except OSError:
        break
time.sleep(1)
for s in crowd:
    s.close()
report("crowd", "served" if outcome(exchange(request("GET", page))) == "HTTP/1.1 200 OK" else "not served")

# Update streams until the server says it has enough; one page is watching already.
streams = []
for _ in range(20):
    s = connect()
    s.sendall(request("GET", page + "events"))
    head = s.recv(4096)
    if not head.startswith(b"HTTP/1.1 200"):
        s.close()
        break
    streams.append(s)
full = exchange(request("GET", page))
report("devices", f"{len(streams) + 1} {outcome(full)}")
for s in streams:
    s.close()

# A device that opens the stream and never reads, held while the test watches the real page.
stuck = connect(receive_buffer=2048)
stuck.sendall(request("GET", page + "events"))
time.sleep(5)
report("nonReader", "held")
stuck.close()
