"""A stand-in for the mail script, run from a copy in a test's folder.

Logs each start (arguments, environment, isolation flag, password) and each
mail's fields as JSON lines in <copy>.log, copies each mail's attachments
beside itself as <mail number>_<name>, and answers as the recipient says:
"exit3..." exits with status 3, "kill..." dies of SIGKILL, "sleep..." sleeps
30 s, "no..." is refused; any other is sent.
"""
import json
import os
import shutil
import signal
import sys
import time


def read_record():
    line = sys.stdin.buffer.readline()
    if not line:
        return None
    sizes = [int(n) for n in line.split()]
    data = sys.stdin.buffer.read(sum(sizes))
    fields, at = [], 0
    for size in sizes:
        fields.append(os.fsdecode(data[at:at + size]))
        at += size
    return fields


def log(entry):
    with open(sys.argv[0] + ".log", "a") as f:
        f.write(json.dumps(entry) + "\n")


folder = os.path.dirname(sys.argv[0])
log({"argv": sys.argv, "env": dict(os.environ), "isolated": sys.flags.isolated, "password": read_record()})
while True:
    fields = read_record()
    if fields is None:
        break
    log({"mail": fields})
    with open(sys.argv[0] + ".log") as f:
        number = sum(1 for line in f if line.startswith('{"mail"'))
    for path in filter(os.path.isfile, fields[3:]):
        shutil.copy(path, os.path.join(folder, "%d_%s" % (number, os.path.basename(path))))
    recipient = fields[0].strip()
    if recipient.startswith("exit3"):
        sys.exit(3)
    if recipient.startswith("kill"):
        os.kill(os.getpid(), signal.SIGKILL)
    if recipient.startswith("sleep"):
        time.sleep(30)
    sys.stdout.write("1 not sent: refused\n" if recipient.startswith("no") else "0\n")
    sys.stdout.flush()
