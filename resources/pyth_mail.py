"""Sends the e-mails of one run through an SMTP server, over one connection.

Arguments: sender, server, port, SSL flag ("Y": TLS from the first byte;
otherwise STARTTLS when the server offers it).

Standard input carries records. A record is a line of decimal byte counts
separated by spaces, then exactly that many bytes, field after field, so no
value can break the framing. The first record holds the password (UTF-8);
each later one is a mail: recipient, subject, body, then the paths of the
files to attach. The end of input ends the run.

Each mail is answered on standard output with one line: "0" when the server
took it, else "1 " and the reason, which never holds the password. The
connection stays open between mails; when the server has dropped it, it is
opened again once. Exit status 0 when every mail was sent, 1 when one was
not, 2 for bad arguments or a bad record; the reason goes to standard error.
"""
import os
import sys

TIMEOUT = 60
MAX_HEADER = 65536

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


class BadRecord(Exception):
    pass


def read_record(stream):
    """The fields of the next record, or None at the end of input."""
    line = stream.readline(MAX_HEADER)
    if not line:
        return None
    if not line.endswith(b"\n"):
        raise BadRecord("a record does not start with a line of byte counts")
    counts = line.split()
    if not counts or not all(c.isdigit() for c in counts):
        raise BadRecord("a record does not start with a line of byte counts")
    sizes = [int(c) for c in counts]
    data = stream.read(sum(sizes))
    if len(data) != sum(sizes):
        raise BadRecord("a record ends early")
    fields, at = [], 0
    for size in sizes:
        fields.append(data[at:at + size])
        at += size
    return fields


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


def dropped(error):
    """Whether the error says the server closed the connection."""
    import smtplib
    import ssl
    if isinstance(error, (smtplib.SMTPServerDisconnected, ConnectionError, ssl.SSLEOFError, ssl.SSLZeroReturnError)):
        return True
    return isinstance(error, smtplib.SMTPResponseException) and error.smtp_code == 421


class Connection:
    def __init__(self, sender, server, port, use_ssl, password):
        self.sender, self.server, self.port = sender, server, port
        self.use_ssl, self.password = use_ssl, password
        self.conn = None

    def open(self):
        import smtplib
        import ssl
        if self.use_ssl:
            conn = smtplib.SMTP_SSL(self.server, self.port, timeout=TIMEOUT, context=ssl.create_default_context())
            secure = True
        else:
            conn = smtplib.SMTP(self.server, self.port, timeout=TIMEOUT)
            secure = False
        try:
            conn.ehlo()
            if not secure and conn.has_extn("starttls"):
                conn.starttls(context=ssl.create_default_context())
                conn.ehlo()
                secure = True
            if conn.has_extn("auth"):
                if not secure:
                    raise NotSent("the server asks for a login over an unencrypted connection")
                login(conn, self.sender, self.password)
        except BaseException:
            conn.close()
            raise
        self.conn = conn

    def send(self, msg, recipient):
        reused = self.conn is not None
        if not reused:
            self.open()
        # The envelope recipient is given explicitly; lines end in CRLF.
        try:
            refused = self.conn.send_message(msg, from_addr=self.sender, to_addrs=[recipient])
        except Exception as e:
            if not reused or not dropped(e):
                raise
            self.close()
            self.open()
            refused = self.conn.send_message(msg, from_addr=self.sender, to_addrs=[recipient])
        if refused:
            raise NotSent("recipient refused: %s" % recipient)

    def close(self):
        conn, self.conn = self.conn, None
        if conn is None:
            return
        try:
            conn.quit()
        except Exception:
            conn.close()


def send_one(connection, fields):
    """Sends one mail; returns None when sent, else the reason."""
    text = [f.decode("utf-8", "replace") for f in fields[:3]]
    recipient, subject, body = text[0].strip(), text[1], text[2]
    attachments = [os.fsdecode(f) for f in fields[3:]]
    for value in (connection.sender, recipient, subject):
        if "\r" in value or "\n" in value:
            return "not sent: a header holds a line break"
    try:
        msg = build_message(connection.sender, recipient, subject, body, attachments)
        connection.send(msg, recipient)
    except Exception as e:  # every failure means not sent
        # The next mail starts on a fresh connection.
        connection.close()
        reason = "%s: %s" % (type(e).__name__, e)
        if connection.password:
            reason = reason.replace(connection.password, "***")
        return "not sent: %s" % reason
    return None


def answer(reason):
    if reason is None:
        line = "0"
    else:
        lines = [part.strip() for part in reason.split("\n") if part.strip()]
        line = "1 " + (lines[-1] if lines else "not sent")
    sys.stdout.buffer.write(line.encode("utf-8", "replace") + b"\n")
    sys.stdout.buffer.flush()


def main(argv):
    if len(argv) != 5:
        sys.stderr.write("usage: pyth_mail.py sender server port ssl < records\n")
        return 2
    sender, server, port_text, ssl_flag = argv[1:5]
    try:
        port = int(port_text.strip())
        if not 0 < port < 65536:
            raise ValueError
    except ValueError:
        sys.stderr.write("the port is not a number from 1 to 65535\n")
        return 2
    stream = sys.stdin.buffer
    connection = None
    all_sent = True
    try:
        first = read_record(stream)
        if first is None or len(first) != 1:
            raise BadRecord("the first record is not the password")
        password = first[0].decode("utf-8", "replace")
        connection = Connection(sender.strip(), server.strip(), port, ssl_flag == "Y", password)
        while True:
            fields = read_record(stream)
            if fields is None:
                break
            if len(fields) < 3:
                raise BadRecord("a mail record has fewer than three fields")
            reason = send_one(connection, fields)
            all_sent = all_sent and reason is None
            answer(reason)
    except BadRecord as e:
        sys.stderr.write("%s\n" % e)
        return 2
    finally:
        if connection is not None:
            connection.close()
    return 0 if all_sent else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
