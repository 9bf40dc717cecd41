#!/usr/bin/env bash
# Usage: annotate_inputs.sh ZCNT — PDF files written by other programs (ReportLab, Ghostscript's
# ps2pdf), upright and turned by 90, 180 and 270 degrees, each with a phrase highlighted: the
# text reads as before, the phrase's words lie inside the highlight's QuadPoints on the page as
# shown, qpdf finds nothing wrong, and no pixel changes outside the annotations. A page of no
# size and a scan (a picture, no text) end with a message that says so.
. "$(dirname "$0")/common.sh"
zcnt=$1

/usr/bin/python3 - "$work" <<'PY' || fail "ReportLab cannot make the inputs"
import sys
from PIL import Image, ImageDraw
from reportlab.lib.pagesizes import A4, letter
from reportlab.pdfgen import canvas
work = sys.argv[1]
c = canvas.Canvas(work + "/reportlab.pdf", pagesize=A4)
c.setFont("Helvetica", 12)
c.drawString(72, 760, "ReportLab wrote this: the net revenue share (net revenue) is fixed.")
c.drawString(300, 200, "Low on the page, to the right.")
c.showPage()
c.save()
# A scan: the words are pixels only.
picture = Image.new("L", (600, 200), 255)
ImageDraw.Draw(picture).text((20, 80), "net revenue, scanned", fill=0)
picture.save(work + "/scan.png")
c = canvas.Canvas(work + "/scan.pdf", pagesize=letter)
c.drawImage(work + "/scan.png", 72, 500, 450, 150)
c.showPage()
c.save()
PY
cat >"$work/ghost.ps" <<'PS'
%!PS
/Helvetica findfont 12 scalefont setfont
72 700 moveto (Ghostscript wrote this: the net revenue share is fixed.) show
/Times-Roman findfont 10 scalefont setfont
320 120 moveto (A second line near the foot.) show
showpage
PS
ps2pdf -sPAPERSIZE=a4 "$work/ghost.ps" "$work/ghost.pdf" || fail "ps2pdf"

# name, input made above, turn, times the phrase is there
inputs=(
  "reportlab-0 reportlab 0 2" "reportlab-90 reportlab 90 2" "reportlab-180 reportlab 180 2"
  "reportlab-270 reportlab 270 2" "ghost-0 ghost 0 1" "ghost-90 ghost 90 1" "ghost-180 ghost 180 1"
  "ghost-270 ghost 270 1"
)
for row in "${inputs[@]}"; do
  read -r name source turn times <<<"$row"
  in="$work/$name.pdf" out="$work/$name-out.pdf"
  qpdf "$work/$source.pdf" --rotate=+$turn:1 "$in" || fail "$name: qpdf cannot turn the page"
  "$zcnt" annotate "$in" -o "$out" --highlight "net revenue" >/dev/null || fail "$name: annotate exited with $?"
  qpdf --check "$out" >"$work/check.txt" 2>&1 || fail "$name: qpdf --check: $(cat "$work/check.txt")"
  [ "$(pdftotext "$in" -)" = "$(pdftotext "$out" -)" ] || fail "$name: the text changed"
  pdftotext -bbox "$out" "$work/$name.html" || fail "$name: pdftotext -bbox"
  pdftoppm -r 72 -singlefile -png "$in" "$work/$name-in" || fail "$name: pdftoppm"
  pdftoppm -r 72 -singlefile -png "$out" "$work/$name-out" || fail "$name: pdftoppm"
  /usr/bin/python3 - "$work" "$name" "$times" <<'PY' || fail "$name: the marks"
import re, sys
from PIL import Image, ImageChops, ImageDraw
from pypdf import PdfReader
work, name, times = sys.argv[1], sys.argv[2], int(sys.argv[3])
page = PdfReader(f"{work}/{name}-out.pdf").pages[0]
turn = int(page.get("/Rotate", 0)) % 360
x0, y0, x1, y1 = [float(v) for v in page.mediabox]
w, h = x1 - x0, y1 - y0
def shown(x, y):
    """A point of the page's own space as poppler shows the page: from its top left."""
    x, y = x - x0, y - y0
    return {0: (x, h - y), 90: (y, x), 180: (w - x, y), 270: (h - y, w - x)}[turn]
annots = [a.get_object() for a in page.get("/Annots", [])]
highlights = [a for a in annots if a["/Subtype"] == "/Highlight"]
assert len(highlights) == times, [a["/Subtype"] for a in annots]
quads = []
for a in highlights:
    q = [float(v) for v in a["/QuadPoints"]]
    for i in range(0, len(q), 8):
        pts = [shown(q[i + k], q[i + k + 1]) for k in range(0, 8, 2)]
        quads.append((min(p[0] for p in pts), min(p[1] for p in pts),
                      max(p[0] for p in pts), max(p[1] for p in pts)))
words = re.findall(r'xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)<',
                   open(f"{work}/{name}.html", encoding="utf-8").read())
marked = [[float(v) for v in m[:4]] for m in words if m[4].strip("().,") in ("net", "revenue")]
assert len(marked) == 2 * times, words
for l, t, r, b in marked:
    assert any(ql - 1 <= l and r <= qr + 1 and qt - 1 <= t and b <= qb + 1 for ql, qt, qr, qb in quads), \
        (turn, (l, t, r, b), quads)
# Pixels: under the words the paper turns yellow; outside the annotations nothing changes.
before = Image.open(f"{work}/{name}-in.png").convert("RGB")
after = Image.open(f"{work}/{name}-out.png").convert("RGB")
assert before.size == after.size, (before.size, after.size)
for l, t, r, b in marked:
    region = after.crop((int(l) + 1, int(t) + 1, int(r) - 1, int(b) - 1))
    red, green, blue = [sum(c) / len(c) for c in zip(*region.getdata())]
    assert red - blue > 60 and green - blue > 60, (turn, red, green, blue)
diff = ImageChops.difference(before, after).convert("L").point(lambda v: 255 if v > 24 else 0)
mask = ImageDraw.Draw(diff)
for a in annots:
    l, b, r, t = [float(v) for v in a["/Rect"]]
    (p, q), (s, u) = shown(l, b), shown(r, t)
    mask.rectangle((min(p, s) - 2, min(q, u) - 2, max(p, s) + 2, max(q, u) + 2), fill=0)
assert diff.getbbox() is None, (turn, diff.getbbox())
PY
done

# Inputs the tool cannot annotate as asked: exit 2, a message naming the cause, nothing written.
/usr/bin/python3 - "$work" <<'PY' || fail "pypdf cannot make a page of no size"
import sys
from pypdf import PdfReader, PdfWriter
from pypdf.generic import RectangleObject
work = sys.argv[1]
writer = PdfWriter()
writer.add_page(PdfReader(f"{work}/reportlab.pdf").pages[0])
writer.add_blank_page(300, 300)
writer.pages[1].mediabox = RectangleObject([0, 0, 0, 0])
writer.write(f"{work}/flat.pdf")
PY
expect_error() {  # expect_error MESSAGE ARGS…
  local want=$1; shift
  msg=$("$zcnt" annotate "$@" -o "$work/bad.pdf" 2>&1 >/dev/null); got=$?
  [ $got -eq 2 ] || fail "annotate $*: exit $got, not 2 ($msg)"
  grep -qF -- "$want" <<<"$msg" || fail "annotate $*: '$msg' lacks '$want'"
  [ ! -e "$work/bad.pdf" ] || fail "annotate $* wrote its output"
}
expect_error "page 2 of $work/flat.pdf has no size" "$work/flat.pdf"
expect_error "which has no text to find it in (a scan?)" "$work/scan.pdf" --highlight "net revenue"
# A scan still takes elements placed by position.
cat >"$work/note.json" <<'JSON'
{"elements": [{"page": 1, "class": "Orvane.ZCntElementNote.1",
   "calls": [["SetPosition", 720, 720, 2600, 700],
             ["SetNoteData", "Scanned copy.", 0, "Arial", 100, false, false,
              13434879, 33023, 1, false, false, 0]]}]}
JSON
"$zcnt" annotate "$work/scan.pdf" "$work/note.json" -o "$work/scan-out.pdf" >/dev/null ||
  fail "a scan with a note: exit $?"
qpdf --check "$work/scan-out.pdf" >/dev/null 2>&1 || fail "qpdf --check of the annotated scan"
echo "annotate inputs: ok"
