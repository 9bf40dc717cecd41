#!/usr/bin/python3
"""Baseline for the PDF writer: the same annotated pages, made with ReportLab.

Every page is US Letter with ten elements whose content depends only on the
page number, so runs are repeatable and comparable with our own writer:
four notes, two stamps, two links, one page-break marker and one footer.

Run with Debian's interpreter (the first python3 on PATH lacks ReportLab):
    /usr/bin/python3 bench/reportlab_pages.py --pages 1000 --out /tmp/rl.pdf [--json]
"""

import argparse
import json
import os
import resource
import sys
import time

from reportlab.lib.utils import simpleSplit
from reportlab.pdfbase import pdfmetrics
from reportlab.pdfbase.ttfonts import TTFont
from reportlab.pdfgen import canvas

FONT_DIR = "/usr/share/fonts/truetype/liberation"
SANS = "LiberationSans"
SANS_BOLD = "LiberationSans-Bold"

PAGE_W, PAGE_H = 612.0, 792.0

NOTE_W, NOTE_H = 230.0, 56.0
NOTE_TEXT_SIZE = 10.0
NOTE_PAD = 6.0
NOTE_LEADING = 12.0
# Wide enough for about 40 characters of 10 pt Liberation Sans per line.
NOTE_TEXT_W = NOTE_W - 2 * NOTE_PAD

STAMP_SIZE = 24.0
STAMP_ANGLE = 15.0
STAMP_PAD = 6.0

LINK_SIZE = 10.0

SUBJECTS = ["figures", "captions", "totals", "references", "margins",
            "headings", "dates", "signatures"]


def register_fonts():
    # TTFont subsets and embeds the glyphs actually used, as our writer does.
    pdfmetrics.registerFont(TTFont(SANS, os.path.join(FONT_DIR, "LiberationSans-Regular.ttf")))
    pdfmetrics.registerFont(TTFont(SANS_BOLD, os.path.join(FONT_DIR, "LiberationSans-Bold.ttf")))


def note_text(page, n):
    subject = SUBJECTS[(page * 4 + n) % len(SUBJECTS)]
    return ("Review note %d on page %d: check the %s in section %d "
            "against the source table and correct any value that differs "
            "from revision %d before release." % (n + 1, page, subject, page % 17 + 1, page % 9 + 1))


def draw_note(c, page, n):
    x = 40.0 + (n % 2) * 300.0
    y = 600.0 - (n // 2) * 90.0
    c.saveState()
    c.setFillColorRGB(1.0, 1.0, 0.88)
    c.setStrokeColorRGB(0.25, 0.25, 0.25)
    c.setLineWidth(1.0)
    c.rect(x, y, NOTE_W, NOTE_H, stroke=1, fill=1)
    lines = simpleSplit(note_text(page, n), SANS, NOTE_TEXT_SIZE, NOTE_TEXT_W)[:3]
    t = c.beginText(x + NOTE_PAD, y + NOTE_H - NOTE_PAD - NOTE_TEXT_SIZE)
    t.setFont(SANS, NOTE_TEXT_SIZE, NOTE_LEADING)
    t.setFillColorRGB(0.0, 0.0, 0.0)
    for line in lines:
        t.textLine(line)
    c.drawText(t)
    c.restoreState()


def draw_stamp(c, word, x, y):
    w = pdfmetrics.stringWidth(word, SANS_BOLD, STAMP_SIZE)
    h = STAMP_SIZE
    c.saveState()
    c.setFillAlpha(0.5)
    c.setStrokeAlpha(0.5)
    c.translate(x, y)
    c.rotate(STAMP_ANGLE)
    c.setStrokeColorRGB(0.8, 0.0, 0.0)
    c.setFillColorRGB(0.8, 0.0, 0.0)
    c.setLineWidth(2.0)
    c.rect(-STAMP_PAD, -STAMP_PAD, w + 2 * STAMP_PAD, h + 2 * STAMP_PAD, stroke=1, fill=0)
    c.setFont(SANS_BOLD, STAMP_SIZE)
    # The baseline sits a little above the frame's bottom so descenders stay inside.
    c.drawString(0, h * 0.22, word)
    c.restoreState()


def draw_link(c, page, n, x, y):
    url = "https://example.com/docs/page/%d/item/%d" % (page, n + 1)
    label = "See item %d of page %d online" % (n + 1, page)
    w = pdfmetrics.stringWidth(label, SANS, LINK_SIZE)
    c.saveState()
    c.setFillColorRGB(0.0, 0.0, 0.8)
    c.setStrokeColorRGB(0.0, 0.0, 0.8)
    c.setFont(SANS, LINK_SIZE)
    c.drawString(x, y, label)
    c.setLineWidth(0.5)
    c.line(x, y - 1.5, x + w, y - 1.5)
    c.restoreState()
    # thickness=0 leaves the annotation without a visible border.
    c.linkURL(url, (x, y - 3.0, x + w, y + LINK_SIZE), relative=0, thickness=0)


def draw_page_break(c):
    y = 180.0
    c.saveState()
    c.setStrokeColorRGB(0.5, 0.5, 0.5)
    c.setLineWidth(0.75)
    c.setDash(6, 3)
    c.line(0, y, PAGE_W, y)
    c.setFillColorRGB(0.4, 0.4, 0.4)
    c.setFont(SANS, 8)
    c.drawString(20, y + 3, "Page break")
    c.drawRightString(PAGE_W - 20, y + 3, "Page break")
    c.restoreState()


def draw_footer(c, page, total):
    c.saveState()
    c.setFont(SANS, 9)
    c.setFillColorRGB(0.0, 0.0, 0.0)
    c.drawCentredString(PAGE_W / 2, 30, "Page %d of %d" % (page, total))
    c.restoreState()


def make_pages(path, total):
    # Compression stays on (ReportLab's default), because the writer under
    # comparison deflates its content streams too; uncompressed output would
    # skew both the time and the byte count. The initial font is ours so no
    # unused base-14 font lands in the resources; invariant output keeps the
    # bytes identical from run to run.
    c = canvas.Canvas(path, pagesize=(PAGE_W, PAGE_H), pageCompression=1,
                      initialFontName=SANS, initialFontSize=10, invariant=1)
    for page in range(1, total + 1):
        for n in range(4):
            draw_note(c, page, n)
        draw_stamp(c, "APPROVED", 60.0, 300.0)
        draw_stamp(c, "DRAFT", 380.0, 300.0)
        draw_link(c, page, 0, 40.0, 240.0)
        draw_link(c, page, 1, 340.0, 240.0)
        draw_page_break(c)
        draw_footer(c, page, total)
        c.showPage()
    c.save()


def main(argv):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--pages", type=int, default=1000)
    ap.add_argument("--out", required=True)
    ap.add_argument("--json", action="store_true")
    args = ap.parse_args(argv)
    if args.pages < 1:
        ap.error("--pages must be at least 1")

    # Font loading is setup, not page production, so it stays outside the timing.
    register_fonts()
    baseline_kib = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss
    start = time.perf_counter()
    make_pages(args.out, args.pages)
    seconds = time.perf_counter() - start

    result = {
        "name": "reportlab",
        "pages": args.pages,
        "seconds": round(seconds, 4),
        "pages_per_second": round(args.pages / seconds, 1) if seconds > 0 else 0.0,
        # Linux reports ru_maxrss in KiB.
        "peak_rss_kib": resource.getrusage(resource.RUSAGE_SELF).ru_maxrss,
        "baseline_rss_kib": baseline_kib,
        "bytes": os.path.getsize(args.out),
    }
    if args.json:
        print(json.dumps(result))
    else:
        print("reportlab pages=%d seconds=%.4f pages_per_second=%.1f peak_rss_kib=%d bytes=%d"
              % (result["pages"], result["seconds"], result["pages_per_second"],
                 result["peak_rss_kib"], result["bytes"]))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
