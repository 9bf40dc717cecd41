#!/usr/bin/env bash
# Usage: annotate.sh ZCNT — a PDF made by ReportLab (its second page turned by qpdf) annotated
# with a stamp, a note and marked phrases: the original text, link and outline survive, and bad
# input is refused with nothing written. (Marks over their words on turned pages, and no pixel
# changed outside the annotations: annotate_inputs.sh.)
. "$(dirname "$0")/common.sh"
zcnt=$1

/usr/bin/python3 - "$work/plain.pdf" <<'PY' || fail "ReportLab cannot make the input"
import sys
from reportlab.lib.pagesizes import A4
from reportlab.pdfgen import canvas
c = canvas.Canvas(sys.argv[1], pagesize=A4)
for n, text in enumerate(["This agreement sets the net revenue share at 12 percent.",
                          "A turned page about net revenue as well."]):
    c.setFont("Helvetica", 12)
    c.drawString(72, 760, text)
    c.drawString(72, 740, "Payment is due within thirty days of the invoice date.")
    if n == 0:
        c.linkURL("https://example.org/terms", (72, 700, 300, 715))
        c.drawString(72, 705, "See the terms online.")
        c.bookmarkPage("p1")
        c.addOutlineEntry("Contract", "p1")
    c.showPage()
c.save()
PY
qpdf "$work/plain.pdf" --rotate=+90:2 "$work/in.pdf" || fail "qpdf cannot turn the page"
before=$(sha256sum <"$work/in.pdf")
cat >"$work/notes.json" <<'JSON'
{"elements": [
  {"page": 1, "class": "Orvane.ZCntElementStamp.1",
   "calls": [["SetPosition", 3500, 3500, 1600, 600],
             ["SetStampData", "APPROVED", 1842376, "Arial", 60, true, false, "Legal", 1842376,
              "Arial", false, false, -1, 1842376, 0, false, 0, 12]]},
  {"page": 1, "class": "Orvane.ZCntElementNote.1",
   "calls": [["SetPosition", 720, 4500, 2600, 700],
             ["SetNoteData", "Checked against the ledger.", 0, "Arial", 100, false, false,
              13434879, 33023, 1, false, false, 0]]}]}
JSON
out=$("$zcnt" annotate "$work/in.pdf" "$work/notes.json" -o "$work/out.pdf" --highlight "net revenue" \
      --underline "thirty days") || fail "annotate exited with $?"
[ "$out" = "$work/out.pdf" ] || fail "annotate printed '$out'"
[ "$(sha256sum <"$work/in.pdf")" = "$before" ] || fail "the input changed"
qpdf --check "$work/out.pdf" >"$work/check.txt" 2>&1 || fail "qpdf --check: $(cat "$work/check.txt")"
text=$(pdftotext "$work/out.pdf" -)
for want in "net revenue share at 12 percent" "A turned page about net revenue" "See the terms online"; do
  grep -qF "$want" <<<"$text" || fail "the original text lacks '$want'"
done
/usr/bin/python3 - "$work" <<'PY' || fail "the annotated file"
import sys
from pypdf import PdfReader
work = sys.argv[1]
reader = PdfReader(work + "/out.pdf")
kinds = [sorted(a.get_object()["/Subtype"] for a in p.get("/Annots", [])) for p in reader.pages]
assert kinds == [["/FreeText", "/Highlight", "/Link", "/Stamp", "/Underline"],
                 ["/Highlight", "/Underline"]], kinds
assert [o["/Title"] for o in reader.outline] == ["Contract"], reader.outline
assert reader.pages[1].get("/Rotate") == 90
PY
# A description that finds its own words, with no phrase to mark and nothing saved: the words
# are read for it all the same.
cat >"$work/find.json" <<'JSON'
{"elements": [{"page": 2, "class": "Orvane.ZCntElementTextMark.1",
               "calls": [["MarkText", {"view": 2}, {"find": [2, "thirty days"]}, 0, 65535]]}]}
JSON
"$zcnt" annotate "$work/in.pdf" "$work/find.json" -o "$work/found.pdf" >/dev/null ||
  fail "annotate with a description that finds words exited with $?"
/usr/bin/python3 -c "
import sys
from pypdf import PdfReader
pages = PdfReader(sys.argv[1]).pages
assert [[a.get_object()['/Subtype'] for a in p.get('/Annots', [])] for p in pages] == [['/Link'], ['/Highlight']]
" "$work/found.pdf" || fail "the description's own mark is missing"

# Bad input: a clear message, exit 2, nothing written, the input untouched.
expect_error() {  # expect_error MESSAGE ARGS…
  local want=$1; shift
  rm -f "$work/bad.pdf"
  msg=$("$zcnt" annotate "$@" 2>&1 >/dev/null); got=$?
  [ $got -eq 2 ] || fail "annotate $*: exit $got, not 2 ($msg)"
  grep -qF -- "$want" <<<"$msg" || fail "annotate $*: '$msg' lacks '$want'"
  [ ! -e "$work/bad.pdf" ] || fail "annotate $* wrote its output"
}
printf 'not a PDF\n' >"$work/text.pdf"
expect_error "not a PDF" "$work/text.pdf" -o "$work/bad.pdf"
head -c 200 "$work/in.pdf" >"$work/cut.pdf"
expect_error "cut.pdf" "$work/cut.pdf" -o "$work/bad.pdf"
qpdf --encrypt u o 256 -- "$work/in.pdf" "$work/locked.pdf" || fail "qpdf --encrypt"
expect_error "password" "$work/locked.pdf" -o "$work/bad.pdf"
expect_error "is not in" "$work/in.pdf" -o "$work/bad.pdf" --highlight "no such phrase"
expect_error '" " has no words to mark' "$work/in.pdf" -o "$work/bad.pdf" --strike " "
expect_error "is an input file" "$work/in.pdf" -o "$work/in.pdf"
expect_error "cannot open" "$work/missing.pdf" -o "$work/bad.pdf"
[ "$(sha256sum <"$work/in.pdf")" = "$before" ] || fail "the input changed"
# Encrypted without a password: annotated, written unencrypted, and said so.
qpdf --encrypt "" o 256 -- "$work/in.pdf" "$work/open.pdf" || fail "qpdf --encrypt"
msg=$("$zcnt" annotate "$work/open.pdf" -o "$work/opened.pdf" --highlight revenue 2>&1 >/dev/null) ||
  fail "annotate of an encrypted file without a password: $msg"
grep -qF "written without encryption" <<<"$msg" || fail "no warning for the encryption: '$msg'"
qpdf --show-encryption "$work/opened.pdf" | grep -q "not encrypted" || fail "the output is encrypted"
echo "annotate: ok"
