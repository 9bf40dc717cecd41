#!/usr/bin/env bash
# Usage: order_form.sh ZCNT — the demo's order form filled in as a viewer's user fills it (text,
# a combo choice, two list entries, the check box, the second radio button, a date) and the
# answers read back by zcnt form-data; the notes, stamps and marks of the other pages listed as
# annotations, and none with --flatten.
. "$(dirname "$0")/common.sh"
zcnt=$1

"$zcnt" demo -o "$work/demo.pdf" >/dev/null || fail "demo exited with $?"
"$zcnt" demo --flatten -o "$work/flat.pdf" >/dev/null || fail "demo --flatten exited with $?"

/usr/bin/python3 - "$work/demo.pdf" "$work/flat.pdf" "$work/filled.pdf" <<'PY' || fail "the demo as pypdf reads it"
import sys
from pypdf import PdfReader, PdfWriter
from pypdf.generic import ArrayObject, NameObject, TextStringObject

def kinds(path):
    return [[a.get_object()["/Subtype"] for a in p.get("/Annots", [])] for p in PdfReader(path).pages]

annotated, flat = kinds(sys.argv[1]), kinds(sys.argv[2])
assert len(annotated) == 4, annotated
assert annotated[0].count("/FreeText") == 2 and "/Stamp" in annotated[0], annotated[0]
assert "/Highlight" in annotated[0] and "/Underline" in annotated[0], annotated[0]
assert all(k in ("/Link", "/Widget") for page in flat for k in page), flat

reader = PdfReader(sys.argv[1])
fields = reader.get_fields()
assert sorted(fields) == ["colour", "customer", "date", "gift", "send", "sizes", "speed"], sorted(fields)
assert fields["date"]["/AA"]["/F"]["/JS"] == 'AFDate_FormatEx("yyyy-mm-dd");'
writer = PdfWriter()
writer.clone_document_from_reader(reader)
form = writer.pages[3]
writer.update_page_form_field_values(form, {"customer": "Zoë Field", "colour": "G", "gift": "/Yes",
                                            "date": "2026-12-24"})
for a in form["/Annots"]:
    a = a.get_object()
    if a.get("/T") == "sizes":  # two entries chosen, as a list box with multiple choice keeps them
        a[NameObject("/V")] = ArrayObject([TextStringObject("S"), TextStringObject("L")])
    parent = a.get("/Parent")
    if parent is not None and parent.get_object().get("/T") == "speed":
        on = [k for k in a["/AP"]["/N"] if k != "/Off"][0]
        if on == "/On2":
            parent.get_object()[NameObject("/V")] = NameObject(on)
        a[NameObject("/AS")] = NameObject(on if on == "/On2" else "/Off")
writer.write(sys.argv[3])
PY

"$zcnt" form-data "$work/filled.pdf" >"$work/answers.json" || fail "form-data exited with $?"
/usr/bin/python3 - "$work/answers.json" <<'PY' || fail "the answers: $(cat "$work/answers.json")"
import json, sys
answers = json.load(open(sys.argv[1], encoding="utf-8"))
want = {"Customer": "Zoë Field", "colour": "G", "sizes": ["S", "L"], "gift": "Yes",
        "speed": "On2", "date": "2026-12-24"}
for key, value in want.items():
    assert answers.get(key) == value, (key, answers.get(key))
assert "send" not in answers, answers
PY
echo "order form: filled and read back"
