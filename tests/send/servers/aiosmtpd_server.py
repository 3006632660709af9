# A throw-away SMTP server for the SMTP security tests: aiosmtpd on 127.0.0.1 on a free port, with STARTTLS,
# TLS on connect or neither, and AUTH PLAIN / LOGIN for one user. Prints "READY <port>" once it listens and runs
# until its standard input closes.
import argparse
import socket
import ssl
import sys

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult


class Sink:
    async def handle_DATA(self, server, session, envelope):
        return "250 OK"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--mode", choices=["plain", "starttls", "tls"], required=True)
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--user", default="")
    parser.add_argument("--password", default="")
    parser.add_argument("--exclude", action="append", default=[])
    parser.add_argument("--require-starttls", action="store_true")
    args = parser.parse_args()

    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]

    def authenticator(server, session, envelope, mechanism, auth_data):
        ok = auth_data.login == args.user.encode() and auth_data.password == args.password.encode()
        return AuthResult(success=ok, handled=False)

    context = None
    if args.mode != "plain":
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(args.cert, args.key)
    kwargs = dict(hostname="127.0.0.1", port=port, authenticator=authenticator, auth_require_tls=args.mode != "tls",
                  auth_exclude_mechanism=args.exclude, server_hostname="corvane-test")
    if args.mode == "tls":
        kwargs["ssl_context"] = context
    elif args.mode == "starttls":
        kwargs["tls_context"] = context
        kwargs["require_starttls"] = args.require_starttls
    controller = Controller(Sink(), **kwargs)
    controller.start()
    print("READY %d" % port, flush=True)
    sys.stdin.read()
    controller.stop()


main()
