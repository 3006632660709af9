# A throw-away DNS responder for the relay library's tests: answers over UDP on 127.0.0.1 on a free port from
# a zone in a JSON file, {"records": [["name", "TYPE", "data"], ...], "silent": ["name", ...]}. A name with
# records of other types only gets an empty answer, a name not in the zone NXDOMAIN, and a silent name no
# answer at all. Every question is appended to the log file as "name TYPE". Prints "READY <port>" once it
# listens and runs until its standard input closes.
import json
import socket
import sys
import threading

from dnslib import QTYPE, RCODE, RR, DNSRecord


def main():
    zone_file, log_file = sys.argv[1], sys.argv[2]
    with open(zone_file) as f:
        zone = json.load(f)
    records = [(n.lower().rstrip("."), t, d) for n, t, d in zone.get("records", [])]
    silent = {n.lower().rstrip(".") for n in zone.get("silent", [])}
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.bind(("127.0.0.1", 0))
    print("READY %d" % sock.getsockname()[1], flush=True)
    threading.Thread(target=lambda: (sys.stdin.read(), sock.close()), daemon=True).start()
    with open(log_file, "a") as log:
        while True:
            try:
                data, peer = sock.recvfrom(4096)
            except OSError:
                return
            request = DNSRecord.parse(data)
            name = str(request.q.qname).lower().rstrip(".")
            qtype = QTYPE[request.q.qtype]
            log.write("%s %s\n" % (name, qtype))
            log.flush()
            if name in silent:
                continue
            reply = request.reply()
            known = [r for r in records if r[0] == name]
            if not known:
                reply.header.rcode = RCODE.NXDOMAIN
            for n, t, d in known:
                if t == qtype:
                    reply.add_answer(*RR.fromZone("%s. 60 IN %s %s" % (n, t, d)))
            sock.sendto(reply.pack(), peer)


main()
