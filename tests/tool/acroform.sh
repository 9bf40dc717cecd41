#!/usr/bin/env bash
# Usage: acroform.sh ZCNT FIELDS.json — the form-field example as a fillable PDF: read with
# another library (names, types, flags, options, values, rectangles, colours, appearances),
# filled in the way a form filler does, and the answers read back with zcnt form-data; and the
# messages and exit codes for files that are no readable form.
. "$(dirname "$0")/common.sh"
zcnt=$1
example=$2

"$zcnt" render "$example" -o "$work/form.pdf" || fail "render exited with $?"
qpdf --check "$work/form.pdf" >"$work/check.txt" 2>&1 || fail "qpdf --check: $(cat "$work/check.txt")"

/usr/bin/python3 - "$work/form.pdf" "$work/filled.pdf" <<'PY' || fail "the form as pypdf reads it"
import sys
from pypdf import PdfReader, PdfWriter
reader = PdfReader(sys.argv[1])
fields = reader.get_fields()
# The group is a frame of the page, no field; the push button is a field all the same.
assert sorted(fields) == sorted(["customer", "colour", "sizes", "gift", "f5", "f6", "submit",
                                 "delivery"]), sorted(fields)
want = {  # /FT, /Ff: read-only 1, radio 16 + no toggle to off 15, push button 17,
          # combo 18 + edit 19, multi-select 22 (bit n is 2 to the n-1)
    "customer": ("/Tx", 0), "delivery": ("/Tx", 1), "colour": ("/Ch", 2**17 + 2**18),
    "sizes": ("/Ch", 2**21), "gift": ("/Btn", 0), "f5": ("/Btn", 2**15 + 2**14),
    "f6": ("/Btn", 2**15 + 2**14), "submit": ("/Btn", 2**16)}
for name, (ft, ff) in want.items():
    got = (fields[name].get("/FT"), fields[name].get("/Ff", 0))
    assert got == (ft, ff), (name, got)
assert fields["customer"]["/V"] == "Jane Doe" and fields["customer"]["/DV"] == "Jane Doe"
assert fields["gift"]["/V"] == "/Off"
assert [list(o) for o in fields["colour"]["/Opt"]] == [["R", "Red"], ["B", "Blue"], ["G", "Green"]]
# Options without an export value export their display name.
assert [list(o) for o in fields["sizes"]["/Opt"]] == [["Small", "Small"], ["Large", "Large"]]

acro = reader.trailer["/Root"]["/AcroForm"]
assert acro["/DA"] == "/Helv 0 Tf 0 g" and acro["/NeedAppearances"].value is False
helv = acro["/DR"]["/Font"]["/Helv"]
assert (helv["/BaseFont"], helv["/Encoding"]) == ("/Helvetica", "/WinAnsiEncoding")

widgets = {}
for page in reader.pages:
    for a in page.get("/Annots", []):
        a = a.get_object()
        name = a.get("/T") or a["/Parent"]["/T"]
        widgets[name] = (a, page)
        assert a["/Subtype"] == "/Widget" and a["/F"] == 4 and "/N" in a["/AP"], name
        assert a["/P"].get_object() == page.get_object()
# 500, 800, 2500 x 250 units at 720 per inch on a page 842 points high, y upwards.
customer, page1 = widgets["customer"]
assert [round(float(v), 3) for v in customer["/Rect"]] == [50, 737, 300, 762], customer["/Rect"]
# Colours 0x00BBGGRR: 255 is red, 15663086 = 0xEEFFEE, text 8388608 = 0x800000 is dark blue.
assert [float(v) for v in customer["/MK"]["/BC"]] == [1, 0, 0]
assert [round(float(v), 4) for v in customer["/MK"]["/BG"]] == [round(0xEE / 255, 4), 1, round(0xEE / 255, 4)]
assert customer["/DA"] == "/Helv 12 Tf 0 0 0 rg", customer["/DA"]
assert widgets["sizes"][0]["/DA"] == "/Helv 10 Tf 0 0 0.502 rg", widgets["sizes"][0]["/DA"]
assert b"(Jane Doe) Tj" in customer["/AP"]["/N"].get_object().get_data()
assert sorted(widgets["gift"][0]["/AP"]["/N"]) == ["/Off", "/Yes"] and widgets["gift"][0]["/AS"] == "/Off"
assert widgets["submit"][0]["/MK"]["/CA"] == ""
# Each radio button is the kid of its group and has a state of its own.
radio = widgets["f5"][0]
assert radio["/Parent"]["/Kids"][0].get_object() == radio and radio["/AS"] == "/Off"
assert sorted(radio["/AP"]["/N"]) == ["/Off", "/On1"]
assert widgets["delivery"][1].get_object() == reader.pages[1].get_object()

# Filled in as a form filler does: text, a combo choice, the check box's on state.
writer = PdfWriter()
writer.clone_document_from_reader(reader)
writer.update_page_form_field_values(writer.pages[0],
                                     {"customer": "Zoë Field", "colour": "B", "gift": "/Yes"})
writer.write(sys.argv[2])
PY

"$zcnt" form-data "$work/filled.pdf" >"$work/answers.json" || fail "form-data exited with $?"
/usr/bin/python3 - "$work/answers.json" <<'PY' || fail "the answers: $(cat "$work/answers.json")"
import json, sys
answers = json.load(open(sys.argv[1], encoding="utf-8"))
# Keyed by the mapping name when there is one; the push button is not exported.
assert answers == {"Customer name": "Zoë Field", "colour": "B", "sizes": None, "gift": "Yes",
                   "f5": "Off", "f6": "Off", "delivery": None}, answers
PY

# Names a partial field name cannot hold as they are, used again on another page, and a combo
# box without options: periods become underscores, the second use gets "_2", names outside
# ASCII survive as UTF-16.
page='{"resolution": 720, "width": 5950, "height": 8420}'
field() {  # field PAGE CLASS NAME
  echo "{\"page\": $1, \"class\": \"Orvane.ZCntElementField$2.1\", \"calls\": [[\"SetPosition\", 100, 100, 1000, 250], [\"put\", \"Name\", \"$3\"], [\"put\", \"CurrentValue\", \"$3\"]]}"
}
echo "{\"pages\": [$page, $page], \"elements\": [$(field 1 Text 'Größe.cm'), $(field 2 Text 'Größe.cm'), $(field 2 Combo empty)]}" >"$work/names.json"
"$zcnt" render "$work/names.json" -o "$work/names.pdf" || fail "render of the names"
qpdf --check "$work/names.pdf" >/dev/null 2>&1 || fail "qpdf --check of the names"
"$zcnt" form-data "$work/names.pdf" >"$work/names.answers.json" || fail "form-data of the names"
/usr/bin/python3 - "$work/names.pdf" "$work/names.answers.json" <<'PY' || fail "the names"
import json, sys
from pypdf import PdfReader
fields = PdfReader(sys.argv[1]).get_fields()
assert sorted(fields) == ["Größe_cm", "Größe_cm_2", "empty"], sorted(fields)
assert fields["empty"]["/Opt"] == [] and fields["Größe_cm_2"]["/V"] == "Größe.cm"
answers = json.load(open(sys.argv[2], encoding="utf-8"))
assert answers == {"Größe_cm": "Größe.cm", "Größe_cm_2": "Größe.cm", "empty": "empty"}, answers
PY

# Files that are no readable form: exit code 2, one line naming the cause.
expect_error() {  # expect_error MESSAGE FILE
  msg=$(timeout 10 "$zcnt" form-data "$2" 2>&1 >/dev/null); got=$?
  [ $got -eq 2 ] || fail "form-data $2: exit $got, not 2 ($msg)"
  [ "$(wc -l <<<"$msg")" -eq 1 ] && grep -qF -- "$1" <<<"$msg" || fail "form-data $2: '$msg' lacks '$1'"
}
expect_error "cannot open $work/missing.pdf: No such file or directory" "$work/missing.pdf"
mkfifo "$work/fifo.pdf" || fail "mkfifo"
expect_error "cannot open $work/fifo.pdf: not a file" "$work/fifo.pdf"  # not waited on
expect_error "cannot open $work: not a file" "$work"
head -c 300 "$work/form.pdf" >"$work/cut.pdf"
expect_error "cannot read" "$work/cut.pdf"
printf 'not a PDF at all\n' >"$work/text.pdf"
expect_error "cannot read" "$work/text.pdf"
qpdf --encrypt u o 256 -- "$work/form.pdf" "$work/locked.pdf" || fail "qpdf --encrypt"
expect_error "cannot read" "$work/locked.pdf"
qpdf --encrypt "" o 256 -- "$work/form.pdf" "$work/open.pdf" || fail "qpdf --encrypt"
expect_error "is encrypted" "$work/open.pdf"
echo "{\"pages\": [$page]}" >"$work/plain.json"
"$zcnt" render "$work/plain.json" -o "$work/plain.pdf" || fail "render of a page without fields"
expect_error "has no form" "$work/plain.pdf"
echo "ok"
