#!/usr/bin/python3
"""Makes the annotation benchmark's input: PAGES pages of text (ReportLab), each with the phrase
"net revenue" once, and the description of one stamp a page for zcnt annotate.

    /usr/bin/python3 bench/annotate/make_input.py FOLDER [PAGES]
"""
import json
import sys

from reportlab.lib.pagesizes import A4
from reportlab.pdfgen import canvas

folder = sys.argv[1]
pages = int(sys.argv[2]) if len(sys.argv) > 2 else 1000
c = canvas.Canvas(folder + "/input.pdf", pagesize=A4)
for p in range(pages):
    c.setFont("Helvetica", 11)
    for line in range(40):
        text = ("Page %d line %d: the quarter closed with net revenue above plan."
                if line == 7 else "Page %d line %d: the figures of this section are final.")
        c.drawString(60, 790 - 18 * line, text % (p + 1, line + 1))
    c.showPage()
c.save()
stamp = ["SetStampData", "APPROVED", 1842376, "Arial", 60, True, False, "Finance", 1842376,
         "Arial", False, False, -1, 1842376, 0, False, 0, 12]
elements = [{"page": p + 1, "class": "Orvane.ZCntElementStamp.1",
             "calls": [["SetPosition", 3600, 6800, 1600, 600], stamp]} for p in range(pages)]
with open(folder + "/stamps.json", "w") as f:
    json.dump({"elements": elements}, f)
