"""A local SMTP server for the mail tests (aiosmtpd).

Prints the port it listens on (127.0.0.1), then serves until killed. Each
accepted mail is stored as NNN.eml beside NNN.json (envelope, TLS state);
each login attempt adds a line to auth.log.

  smtp_server.py OUT [--tls | --starttls] [--cert C --key K] [--auth USER:PASS]
                 [--refuse ADDRESS]... [--silent] [--drop]

--drop closes each connection right after the mail it accepted.
"""
import argparse
import asyncio
import json
import os
import ssl
import sys


def parse():
    p = argparse.ArgumentParser()
    p.add_argument("out")
    p.add_argument("--tls", action="store_true")
    p.add_argument("--starttls", action="store_true")
    p.add_argument("--cert")
    p.add_argument("--key")
    p.add_argument("--auth")
    p.add_argument("--refuse", action="append", default=[])
    p.add_argument("--silent", action="store_true")
    p.add_argument("--drop", action="store_true")
    return p.parse_args()


class Handler:
    def __init__(self, out, refuse, drop):
        self.out = out
        self.drop = drop
        self.refuse = [r.lower() for r in refuse]
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.lower() in self.refuse:
            return "550 5.1.1 mailbox unavailable"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.out, "%03d" % self.count)
        tls = server.transport.get_extra_info("ssl_object") is not None
        with open(base + ".eml", "wb") as f:
            f.write(envelope.original_content or envelope.content)
        with open(base + ".json", "w") as f:
            json.dump({"from": envelope.mail_from, "to": envelope.rcpt_tos, "tls": tls}, f)
        if self.drop:
            asyncio.get_running_loop().call_soon(server.transport.close)
        return "250 OK"


def main():
    args = parse()
    os.makedirs(args.out, exist_ok=True)
    loop = asyncio.new_event_loop()
    asyncio.set_event_loop(loop)

    if args.silent:
        async def never_greet(reader, writer):
            await asyncio.sleep(3600)
        server = loop.run_until_complete(asyncio.start_server(never_greet, "127.0.0.1", 0))
    else:
        from aiosmtpd.smtp import SMTP, AuthResult

        context = None
        if args.cert:
            context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
            context.load_cert_chain(args.cert, args.key)
        authenticator = None
        if args.auth:
            user, password = args.auth.split(":", 1)

            def authenticator(server, session, envelope, mechanism, data):
                ok = data.login.decode("utf-8") == user and data.password.decode("utf-8") == password
                with open(os.path.join(args.out, "auth.log"), "a") as f:
                    f.write("%s %s\n" % (mechanism, "ok" if ok else "bad"))
                return AuthResult(success=ok, handled=False)

        handler = Handler(args.out, args.refuse, args.drop)

        def factory():
            # Without --auth no login is offered at all.
            kwargs = {"authenticator": authenticator, "auth_require_tls": args.starttls or not args.auth}
            if args.starttls:
                kwargs["tls_context"] = context
            return SMTP(handler, **kwargs)

        server = loop.run_until_complete(
            loop.create_server(factory, "127.0.0.1", 0, ssl=context if args.tls else None))
    print(server.sockets[0].getsockname()[1], flush=True)
    loop.run_forever()


if __name__ == "__main__":
    main()
