"""Peer of the mail benchmark: one Python process sending N mails with one
attachment over one smtplib connection to a plain local server.

Usage: mail_peer.py PORT N ATTACHMENT  -- prints the seconds taken.
"""
import os
import smtplib
import sys
import time
from email.message import EmailMessage

port, count, path = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
start = time.perf_counter()
with open(path, "rb") as f:
    data = f.read()
conn = smtplib.SMTP("127.0.0.1", port, timeout=60)
conn.ehlo()
for i in range(count):
    msg = EmailMessage()
    msg["From"] = "from@example.com"
    msg["To"] = "to@example.com"
    msg["Subject"] = "Your card"
    msg.set_content("Attached.")
    msg.add_attachment(data, maintype="image", subtype="png", filename=os.path.basename(path))
    conn.send_message(msg, from_addr="from@example.com", to_addrs=["to@example.com"])
conn.quit()
print("%.3f" % (time.perf_counter() - start))
