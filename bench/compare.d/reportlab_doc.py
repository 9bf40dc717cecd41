#!/usr/bin/python3
"""The compared document made with ReportLab (Debian's python3-reportlab), with its own time.

    /usr/bin/python3 reportlab_doc.py PAGES PICTURE OUT.pdf
prints {"seconds": page production inside the process, fonts loaded before the clock starts}.
"""

import json
import math
import sys
import time

from reportlab.graphics import renderPDF
from reportlab.graphics.barcode.qr import QrCodeWidget
from reportlab.graphics.shapes import Drawing
from reportlab.lib.utils import ImageReader, simpleSplit
from reportlab.pdfbase import pdfmetrics
from reportlab.pdfbase.ttfonts import TTFont
from reportlab.pdfgen import canvas

import pages as P

FONTS = "/usr/share/fonts/truetype/liberation/"
SANS, BOLD = "LiberationSans", "LiberationSans-Bold"


def pt(units):
    return units / 10.0


def y_of(top):
    # The engine counts down from the page's top, PDF up from its bottom.
    return pt(P.HEIGHT - top)


def rgb(c, colour, stroke=False):
    r, g, b = ((colour >> 16) & 255) / 255.0, ((colour >> 8) & 255) / 255.0, (colour & 255) / 255.0
    (c.setStrokeColorRGB if stroke else c.setFillColorRGB)(r, g, b)


def text(c, x, baseline, body, size=110, font=SANS, colour=P.INK):
    rgb(c, colour)
    c.setFont(font, size / 10.0)
    c.drawString(pt(x), y_of(baseline), body)


def note(c, left, top, width, height, body):
    rgb(c, P.NOTE_FILL)
    rgb(c, P.NOTE_BORDER, stroke=True)
    c.roundRect(pt(left), y_of(top + height), pt(width), pt(height), 6, stroke=1, fill=1)
    size, pad = 10.0, 6.0
    t = c.beginText(pt(left) + pad, y_of(top) - pad - size)
    t.setFont(SANS, size, size * 1.15)
    rgb(t, P.INK)
    for line in simpleSplit(body, SANS, size, pt(width) - 2 * pad):
        t.textLine(line)
    c.drawText(t)


def stamp(c, left, top, word, date, angle):
    c.saveState()
    c.setFillAlpha(0.5)
    c.setStrokeAlpha(0.5)
    w, h = pt(1400), pt(500)
    c.translate(pt(left) + w / 2, y_of(top) - h / 2)
    c.rotate(angle)
    rgb(c, P.RED)
    rgb(c, P.RED, stroke=True)
    c.setLineWidth(2)
    c.roundRect(-w / 2, -h / 2, w, h, 8, stroke=1, fill=0)
    c.setFont(BOLD, 30)
    c.drawCentredString(0, 2, word)
    c.setFont(SANS, 18)
    c.drawCentredString(0, -h / 2 + 6, date)
    c.restoreState()


def link(c, left, baseline, label, url):
    text(c, left, baseline, label, 100, SANS, P.BLUE)
    x0, y0 = pt(left - 20), y_of(baseline + 50)
    rgb(c, P.BLUE, stroke=True)
    c.rect(x0, y0, pt(2300), pt(180), stroke=1, fill=0)
    c.linkURL(url, (x0, y0, x0 + pt(2300), y0 + pt(180)), relative=0, thickness=0)


def qr(c, data, left, top, width, height):
    widget = QrCodeWidget(data)
    x0, y0, x1, y1 = widget.getBounds()
    d = Drawing(pt(width), pt(height), transform=[pt(width) / (x1 - x0), 0, 0,
                                                  pt(height) / (y1 - y0), 0, 0])
    d.add(widget)
    renderPDF.draw(d, c, pt(left), y_of(top + height))


def mark(c, words, style, colour):
    # Where the words lie in the body line, measured as the engine's text mark finds them.
    line_no, line = next((i, l) for i, l in enumerate(P.BODY) if words in l)
    size = 11.0
    x = pt(P.MARGIN) + pdfmetrics.stringWidth(line[:line.index(words)], SANS, size)
    w = pdfmetrics.stringWidth(words, SANS, size)
    base = y_of(1500 + 190 * line_no)
    quad = [x, base + size, x + w, base + size, x, base - 3, x + w, base - 3]
    r, g, b = ((colour >> 16) & 255) / 255.0, ((colour >> 8) & 255) / 255.0, (colour & 255) / 255.0
    if style == 0:
        c.saveState()
        c.setFillColorRGB(r, g, b, 0.4)
        c.rect(x, base - 3, w, size + 3, stroke=0, fill=1)
        c.restoreState()
    else:
        c.saveState()
        c.setStrokeColorRGB(r, g, b)
        c.line(x, base - 1.5, x + w, base - 1.5)
        c.restoreState()
    # The markup a viewer lists in its comments (ReportLab has highlights only).
    if style == 0:
        c.highlightAnnotation(words, (x, base - 3, x + w, base + size), QuadPoints=quad,
                              Color=[r, g, b])


def page(c, n, total, picture):
    text(c, P.MARGIN, 1000, P.title(n), 200, BOLD)
    for i, line in enumerate(P.BODY):
        text(c, P.MARGIN, 1500 + 190 * i, line)
    for words, style, colour in P.MARKS:
        mark(c, words, style, colour)
    for args in P.notes(n):
        note(c, *args)
    for args in P.stamps(n):
        stamp(c, *args)
    for args in P.links(n):
        link(c, *args)
    left, top, width, height = P.PICTURE
    c.drawImage(picture, pt(left), y_of(top + height), pt(width), pt(height))
    qr(c, P.qr_text(n), *P.QR)
    text(c, P.MARGIN, P.HEIGHT - 400, P.footer(n, total), 90)
    c.showPage()


def main(argv):
    total, picture, out = int(argv[0]), argv[1], argv[2]
    pdfmetrics.registerFont(TTFont(SANS, FONTS + "LiberationSans-Regular.ttf"))
    pdfmetrics.registerFont(TTFont(BOLD, FONTS + "LiberationSans-Bold.ttf"))
    start = time.perf_counter()
    c = canvas.Canvas(out, pagesize=(pt(P.WIDTH), pt(P.HEIGHT)), pageCompression=1,
                      initialFontName=SANS, invariant=1)
    image = ImageReader(picture)  # read once and placed on every page, as a PDF shares it
    for n in range(1, total + 1):
        page(c, n, total, image)
    c.save()
    print(json.dumps({"seconds": time.perf_counter() - start}))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
