#!/usr/bin/env bash
# Usage: qrcode_config.sh ZCNT EXAMPLES_DIR — the configured QR road as a user installs it: the
# example configuration under a program files folder, its template made with zcnt render, an
# image element naming it; the symbol lands where the INI file says and a reader decodes it.
. "$(dirname "$0")/common.sh"
zcnt=$1
examples=$2

export ZCNT_PROGRAM_FILES=$work/programs LANG=C LC_ALL= LC_MESSAGES=
folder=$ZCNT_PROGRAM_FILES/Orvane/QRCode/ENU
mkdir -p "$folder"
cp "$examples/qrcode/card.ini" "$folder/"
"$zcnt" render "$examples/qrcode/card_template.json" --save "$folder/card.pjd" ||
  fail "the template does not render"

cat >"$work/doc.json" <<'JSON'
{"pages": [{"resolution": 254, "width": 2100, "height": 2970}],
 "elements": [{"page": 1, "class": "Orvane.ZCntElementImage.1",
               "calls": [["SetPosition", 100, 100, 1000, 2000],
                         ["put", "ImageFile", "qrcode|card:https://example.org/card"],
                         ["GetPosition", {"out": null}, {"out": null}, {"out": null}, {"out": null}]]}]}
JSON
"$zcnt" render "$work/doc.json" -o "$work/card.pdf" --report "$work/report.json" ||
  fail "the card does not render"
/usr/bin/python3 - "$work/report.json" <<'PY' || fail "report: the symbol is not where card.ini puts it"
import json, sys
r = json.load(open(sys.argv[1]))
# The template page fits the 1000 x 2000 element as 1000 x 1414.
assert r["elements"][0]["calls"][2]["out"] == [100, 100, 1000, 1414], r["elements"][0]["calls"][2]
objects = r["pages"][0]["objects"]
kinds = [o["kind"] for o in objects]
assert kinds.index("placed_page") < kinds.index("placed_image"), kinds  # symbol over template
image = next(o for o in objects if o["kind"] == "placed_image")["properties"]
# 714 right of and 95 below the corner, 190 square.
assert [image["Rect." + k] for k in ("Left", "Top", "Right", "Bottom")] == ["814", "195", "1004", "385"], image
PY
pdftotext "$work/card.pdf" - | grep -q "Scan me" || fail "the template's caption is not on the card"
if command -v zbarimg >/dev/null; then
  pdftoppm -r 200 -png -singlefile "$work/card.pdf" "$work/card" || fail "pdftoppm"
  qr=$(zbarimg --raw -q "$work/card.png") || fail "no QR code on the card"
  [ "$qr" = "https://example.org/card" ] || fail "the QR code reads '$qr'"
fi

# A name with no configuration: the element makes nothing, the document still renders.
sed 's/qrcode|card:/qrcode|nosuchcard:/' "$work/doc.json" >"$work/none.json"
"$zcnt" render "$work/none.json" -o "$work/none.pdf" --report "$work/none.json.report" ||
  fail "a missing configuration broke the render"
grep -q '"placed_image"' "$work/none.json.report" && fail "a missing configuration still placed a symbol"
echo "configured QR road: all checks passed"
