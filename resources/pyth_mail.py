"""Sends one e-mail through an SMTP server.

Arguments: sender, server, port, sender (again), recipient, subject, body,
SSL flag ("Y": TLS from the first byte; otherwise STARTTLS when the server
offers it), then the paths of the files to attach. The password is the
first line of standard input (UTF-8). Exit status 0 when the server took
the mail, 1 when it was not sent, 2 for bad arguments; the reason goes to
standard error and never holds the password.
"""
import sys

TIMEOUT = 60

# Leading bytes of the picture and document types a card mail carries.
SIGNATURES = (
    (b"\x89PNG\r\n\x1a\n", "image", "png"),
    (b"\xff\xd8\xff", "image", "jpeg"),
    (b"GIF87a", "image", "gif"),
    (b"GIF89a", "image", "gif"),
    (b"II*\x00", "image", "tiff"),
    (b"MM\x00*", "image", "tiff"),
    (b"%PDF-", "application", "pdf"),
    (b"BM", "image", "bmp"),
)


class NotSent(Exception):
    pass


def content_type(path, data):
    for magic, main, sub in SIGNATURES:
        if data.startswith(magic):
            return main, sub
    import mimetypes
    guessed, _ = mimetypes.guess_type(path)
    if guessed and "/" in guessed:
        return tuple(guessed.split("/", 1))
    return "application", "octet-stream"


def build_message(sender, recipient, subject, body, attachments):
    import os
    from email.message import EmailMessage
    from email.utils import formatdate, make_msgid

    msg = EmailMessage()
    msg["From"] = sender
    msg["To"] = recipient
    msg["Subject"] = subject
    msg["Date"] = formatdate(localtime=True)
    domain = sender.rpartition("@")[2] or None
    msg["Message-ID"] = make_msgid(domain=domain)
    msg.set_content(body)
    for path in attachments:
        with open(path, "rb") as f:
            data = f.read()
        main, sub = content_type(path, data)
        msg.add_attachment(data, maintype=main, subtype=sub, filename=os.path.basename(path))
    return msg


def login(conn, user, password):
    # smtplib encodes credentials as ASCII; AUTH PLAIN in UTF-8 by hand.
    import base64
    token = base64.b64encode(b"\0" + user.encode("utf-8") + b"\0" + password.encode("utf-8")).decode("ascii")
    code, reply = conn.docmd("AUTH", "PLAIN " + token)
    if code != 235:
        raise NotSent("login refused (%d %s)" % (code, reply.decode("utf-8", "replace")))


def send(sender, server, port, recipient, subject, body, use_ssl, attachments, password):
    import smtplib
    msg = build_message(sender, recipient, subject, body, attachments)
    if use_ssl:
        import ssl
        conn = smtplib.SMTP_SSL(server, port, timeout=TIMEOUT, context=ssl.create_default_context())
        secure = True
    else:
        conn = smtplib.SMTP(server, port, timeout=TIMEOUT)
        secure = False
    try:
        conn.ehlo()
        if not secure and conn.has_extn("starttls"):
            import ssl
            conn.starttls(context=ssl.create_default_context())
            conn.ehlo()
            secure = True
        if conn.has_extn("auth"):
            if not secure:
                raise NotSent("the server asks for a login over an unencrypted connection")
            login(conn, sender, password)
        # The envelope recipient is given explicitly; lines end in CRLF.
        refused = conn.send_message(msg, from_addr=sender, to_addrs=[recipient])
        if refused:
            raise NotSent("recipient refused: %s" % recipient)
    finally:
        try:
            conn.quit()
        except Exception:
            conn.close()


def main(argv):
    if len(argv) < 9:
        sys.stderr.write("usage: pyth_mail.py sender server port sender recipient subject body ssl [files]\n")
        return 2
    sender, server, port_text, _, recipient, subject, body, ssl_flag = argv[1:9]
    attachments = argv[9:]
    try:
        port = int(port_text.strip())
        if not 0 < port < 65536:
            raise ValueError
    except ValueError:
        sys.stderr.write("the port is not a number from 1 to 65535\n")
        return 2
    line = sys.stdin.buffer.readline().decode("utf-8", "replace")
    password = line[:-1] if line.endswith("\n") else line
    if password.endswith("\r"):
        password = password[:-1]
    recipient = recipient.strip()
    sender = sender.strip()
    for value in (sender, recipient, subject):
        if "\r" in value or "\n" in value:
            sys.stderr.write("not sent: a header holds a line break\n")
            return 1
    try:
        send(sender, server.strip(), port, recipient, subject, body, ssl_flag == "Y", attachments, password)
    except Exception as e:  # every failure means not sent
        reason = "%s: %s" % (type(e).__name__, e)
        if password:
            reason = reason.replace(password, "***")
        sys.stderr.write("not sent: %s\n" % reason)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
