"""The document every contender builds, described once: A4 pages, each with a title and body
text, four review notes whose text wraps, two stamps at angles, two links over their lines,
a picture, a QR code, two text marks over words of the body and a footer. Sizes are in tenths
of a point (720 units an inch), the unit `zcnt render` works in; colours 0xRRGGBB.
"""

import struct
import zlib

WIDTH, HEIGHT, MARGIN = 5953, 8419, 720
SUBJECTS = ["figures", "captions", "totals", "references", "margins", "headings", "dates",
            "signatures"]
BODY = ["The figures in this report cover the third quarter. Sales grew by 12 % over the",
        "same quarter last year, driven by the new product line and the autumn campaign."]
MARKS = [("Sales grew by 12 %", 0, 0xFFFF00), ("new product line", 1, 0xC81C1C)]
INK, BLUE, RED, NOTE_FILL, NOTE_BORDER = 0x202020, 0x0050B0, 0xC81C1C, 0xFFFFCC, 0x404040


def title(page):
    return "Quarterly report, page %d" % page


def note_text(page, n):
    subject = SUBJECTS[(page * 4 + n) % len(SUBJECTS)]
    return ("Review note %d on page %d: check the %s in section %d against the source table "
            "and correct any value that differs from revision %d before release."
            % (n + 1, page, subject, page % 17 + 1, page % 9 + 1))


def notes(page):
    """(left, top, width, height, text) of the four notes."""
    return [(MARGIN + (n % 2) * 2500, 2300 + (n // 2) * 900, 2300, 750, note_text(page, n))
            for n in range(4)]


def stamps(page):
    """(left, top, word, date, angle in degrees) of the two stamps."""
    return [(900, 4300, "APPROVED", "2026-12-%02d" % (page % 28 + 1), 15),
            (3500, 4300, "DRAFT", "not for release", -10)]


def links(page):
    """(left, baseline, label, url) of the two links."""
    return [(MARGIN + n * 2600, 5600, "See item %d of page %d online" % (n + 1, page),
             "https://example.com/docs/page/%d/item/%d" % (page, n + 1)) for n in range(2)]


def qr_text(page):
    return "https://example.com/docs/page/%d" % page


PICTURE = (MARGIN, 6000, 1600, 1200)   # left, top, width, height
QR = (3400, 6000, 1200, 1200)


def footer(page, total):
    return "Page %d of %d" % (page, total)


def write_picture(path, w=160, h=120):
    """A small RGB gradient as a PNG file, written without any imaging library."""
    rows = b"".join(b"\0" + bytes(v for x in range(w)
                                  for v in (x * 255 // w, y * 255 // h, 160)) for y in range(h))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def write_layout(path, total):
    """Every page's content as plain JSON, for the contender that is not written in Python."""
    import json
    layout = {"width": WIDTH, "height": HEIGHT, "margin": MARGIN, "ink": INK, "blue": BLUE,
              "red": RED, "note_fill": NOTE_FILL, "note_border": NOTE_BORDER, "marks": MARKS,
              "picture": PICTURE, "qr": QR,
              "pages": [{"title": title(n), "body": BODY, "notes": notes(n), "stamps": stamps(n),
                         "links": links(n), "qr": qr_text(n), "footer": footer(n, total)}
                        for n in range(1, total + 1)]}
    with open(path, "w") as f:
        json.dump(layout, f)
