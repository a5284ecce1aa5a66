"""Prints a stored mail (.eml) as JSON: headers, body text, attachments."""
import base64
import json
import sys
from email import policy
from email.parser import BytesParser

with open(sys.argv[1], "rb") as f:
    msg = BytesParser(policy=policy.default).parse(f)
body = msg.get_body(preferencelist=("plain",))
print(json.dumps({
    "from": str(msg["From"]), "to": str(msg["To"]), "subject": str(msg["Subject"]),
    "date": str(msg["Date"]), "id": str(msg["Message-ID"]),
    "body": body.get_content() if body else "",
    "attachments": [{"name": p.get_filename(), "type": p.get_content_type(),
                     "data": base64.b64encode(p.get_content()).decode("ascii")}
                    for p in msg.iter_attachments()],
}))
