#!/usr/bin/env bash
# Usage: annotate_saved.sh ZCNT — an annotated document saved as .pjd keeps its original PDF
# beside it: the .pjd reopens, renders again over the same pages with the same words and
# annotations, takes changes to its elements by number and new elements, and a missing or
# changed original, or a change that cannot apply, is refused with a message.
. "$(dirname "$0")/common.sh"
zcnt=$1

/usr/bin/python3 - "$work/in.pdf" <<'PY' || fail "ReportLab cannot make the input"
import sys
from reportlab.lib.pagesizes import A4
from reportlab.pdfgen import canvas
c = canvas.Canvas(sys.argv[1], pagesize=A4)
for text in ["The net revenue share is fixed here.", "A second page on net revenue."]:
    c.setFont("Helvetica", 12)
    c.drawString(72, 760, text)
    c.showPage()
c.save()
PY
qpdf --rotate=+90:2 --replace-input "$work/in.pdf" || fail "qpdf cannot turn the page"
cat >"$work/note.json" <<'JSON'
{"elements": [{"page": 2, "class": "Orvane.ZCntElementNote.1",
   "calls": [["SetPosition", 720, 2000, 2600, 700],
             ["SetNoteData", "First reading.", 0, "Arial", 100, false, false,
              13434879, 33023, 1, false, false, 0]]}]}
JSON
mkdir "$work/kept"
out=$("$zcnt" annotate "$work/in.pdf" "$work/note.json" -o "$work/first.pdf" --save "$work/kept/doc.pjd" \
      --highlight "net revenue") || fail "annotate --save exited with $?"
[ "$out" = "$work/first.pdf"$'\n'"$work/kept/doc.pjd" ] || fail "annotate printed '$out'"
copies=("$work"/kept/doc-files/*.pdf)
[ ${#copies[@]} -eq 1 ] && cmp -s "${copies[0]}" "$work/in.pdf" || fail "no copy of the original beside the .pjd"
rm "$work/in.pdf"  # the .pjd needs only its copy

"$zcnt" inspect "$work/kept/doc.pjd" >"$work/inspect.txt" || fail "inspect exited with $?"
grep -qF 'Text = "First reading."' "$work/inspect.txt" || fail "inspect does not show the note"
"$zcnt" render "$work/kept/doc.pjd" -o "$work/again.pdf" >/dev/null || fail "render of the .pjd exited with $?"
cat >"$work/changes.json" <<'JSON'
{"elements": [{"element": 2, "calls": [["put", "Text", "Second reading."]]},
              {"page": 1, "class": "Orvane.ZCntElementTextMark.1",
               "calls": [["MarkText", {"view": 1}, {"find": [1, "fixed here."]}, 1, 255]]}]}
JSON
"$zcnt" render "$work/kept/doc.pjd" "$work/changes.json" -o "$work/changed.pdf" \
  --save "$work/moved.pjd" >/dev/null || fail "render with changes exited with $?"
"$zcnt" render "$work/moved.pjd" -o "$work/moved.pdf" >/dev/null || fail "render of the saved changes exited with $?"

/usr/bin/python3 - "$work" "${copies[0]}" <<'PY' || fail "the documents written again"
import subprocess, sys
from pypdf import PdfReader
work = sys.argv[1]
def annotations(name):
    pages = PdfReader(f"{work}/{name}.pdf").pages
    return [[(a.get_object()["/Subtype"], [round(float(v), 1) for v in a.get_object()["/Rect"]],
              str(a.get_object().get("/Contents", ""))) for a in p.get("/Annots", [])] for p in pages]
def words(path):
    """The words poppler finds, with their boxes (a note's appearance shows its own)."""
    out = subprocess.run(["pdftotext", "-bbox", path, "-"], capture_output=True, text=True,
                         check=True).stdout
    return {line.strip() for line in out.splitlines() if line.strip().startswith("<word ")}
original = words(sys.argv[2])
first = annotations("first")
assert [[a[0] for a in p] for p in first] == [["/Highlight"], ["/FreeText", "/Highlight"]], first
for name in ("again", "changed", "moved"):
    assert original <= words(f"{work}/{name}.pdf"), name
    pages = PdfReader(f"{work}/{name}.pdf").pages
    assert [p.get("/Rotate", 0) for p in pages] == [0, 90], name
assert annotations("again") == first and words(f"{work}/again.pdf") == words(f"{work}/first.pdf")
changed = annotations("changed")
assert changed[1] == [(first[1][0][0], first[1][0][1], "Second reading."), first[1][1]], changed
assert changed[0][0] == first[0][0] and changed[0][1][0] == "/Underline", changed
assert annotations("moved") == changed
PY
[ -n "$(ls "$work"/moved-files/*.pdf 2>/dev/null)" ] || fail "the moved .pjd has no copy beside it"

# Refused with exit 2 and a message naming the cause; nothing written.
expect_error() {  # expect_error MESSAGE ARGS…
  local want=$1; shift
  msg=$("$zcnt" render "$@" -o "$work/bad.pdf" 2>&1 >/dev/null); got=$?
  [ $got -eq 2 ] || fail "render $*: exit $got, not 2 ($msg)"
  grep -qF -- "$want" <<<"$msg" || fail "render $*: '$msg' lacks '$want'"
  [ ! -e "$work/bad.pdf" ] || fail "render $* wrote its output"
}
printf '{"pages": [{"resolution": 720, "width": 100, "height": 100}]}' >"$work/pages.json"
printf '{"elements": [{"element": 9, "calls": []}]}' >"$work/nine.json"
expect_error 'leave out "pages"' "$work/kept/doc.pjd" "$work/pages.json"
expect_error "there is no element 9 to change" "$work/kept/doc.pjd" "$work/nine.json"
expect_error "changes go with a saved .pjd document" "$work/pages.json" "$work/nine.json"
cp "$work/kept/doc.pjd" "$work/lone.pjd"
expect_error "which cannot be read" "$work/lone.pjd"
printf '%% changed\n' >>"${copies[0]}"
expect_error "it changed since" "$work/kept/doc.pjd"
echo "annotate saved: ok"
