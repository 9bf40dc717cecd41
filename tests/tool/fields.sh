#!/usr/bin/env bash
# Usage: fields.sh ZCNT FIELDS.json — the form-field example as a user runs it: render with
# children set through member paths, save and inspect the .pjd, hit and draw a field; and the
# messages and exit codes of bad paths, arguments, names and scales.
. "$(dirname "$0")/common.sh"
zcnt=$1
example=$2

"$zcnt" render "$example" --save "$work/fields.pjd" --report "$work/report.json" ||
  fail "render of the fields exited with $?"
"$zcnt" inspect "$work/fields.pjd" --json >"$work/inspect.json" || fail "inspect --json exited with $?"
/usr/bin/python3 - "$work/report.json" "$work/inspect.json" <<'PY' || fail "report or inspect content"
import json, sys
r = json.load(open(sys.argv[1]))
i = json.load(open(sys.argv[2]))
calls = {e["class"].split(".")[1] + str(e["index"]): e["calls"] for e in r["elements"]}
def call(element, head):
    return [c for c in calls[element] if c["call"][:len(head)] == head]
assert call("ZCntElementFieldText1", ["get", "TextAttributes.FontSize"])[0]["value"] == 120
assert call("ZCntElementFieldCombo2", ["get", "ChoiceItems.Count"])[0]["value"] == 3
# Red moved above Blue.
assert call("ZCntElementFieldCombo2", ["get", "ChoiceItems.Item(1).DisplayName"])[0]["value"] == "Red"
# A member's own failure: its code beside DISP_E_EXCEPTION.
bad_move = call("ZCntElementFieldCombo2", ["ChoiceItems.MoveItemUp", 9])[0]
assert (bad_move["hr"], bad_move["scode"]) == ("0x80020009", "0x80070057"), bad_move
copy = call("ZCntElementFieldButton7", ["CopyTo"])[0]
assert (copy["hr"], copy["scode"]) == ("0x80020009", "0x80004001"), copy
assert all("scode" not in c for c in calls["ZCntElementFieldText1"])
# Fields are elements of their pages and create no host objects: the pages hold only the
# fields (and the host's own line of text), and every record survives the .pjd unchanged.
pages = i["pages"]
assert [len(p["elements"]) for p in pages] == [7, 2], [len(p["elements"]) for p in pages]
assert [o["kind"] for o in pages[1]["objects"]] == ["element", "element"]
saved = [e["record"] for p in pages for e in p["elements"]]
assert saved == [e["record"] for e in r["elements"]], "a record changed in the .pjd"
kinds = [e["kind"] for p in pages for e in p["elements"]]
assert kinds == [290, 291, 292, 293, 294, 294, 295, 296, 298], kinds
props = {e["properties"]["Name"]: e["properties"] for p in pages for e in p["elements"]}
# Unnamed fields get their names from the container.
assert sorted(props) == sorted(["customer", "colour", "sizes", "gift", "f5", "f6", "submit",
                                "delivery", "f9"]), sorted(props)
assert props["customer"]["Appearance"] == {"BorderColor": 255, "FillColor": 15663086}
assert props["customer"]["TextAttributes"]["FontBold"] is True
assert props["customer"]["DefaultValue"] == "Jane Doe"
items = props["colour"]["ChoiceItems"]
assert items["Count"] == 3
assert [(o["DisplayName"], o["ExportValue"]) for o in items["Item"]] == [("Red", "R"), ("Blue", "B"), ("Green", "G")]
assert props["sizes"]["MultiSelect"] is True and props["sizes"]["TextAttributes"]["TextColor"] == 8388608
assert props["f5"]["Appearance"]["BorderColor"] == 32768
assert props["delivery"]["ReadOnly"] is True and props["submit"]["Export"] is False
assert "ChoiceItems" not in props["gift"] and "TextAttributes" not in props["gift"]
hits = [(h["found"] or {}).get("type") for h in r["hits"]]
assert hits == [6, None, 14], hits
PY
out=$("$zcnt" inspect "$work/fields.pjd") || fail "inspect exited with $?"
for want in '    Appearance.BorderColor = 255' '    TextAttributes.FontSize = 120' \
            '    ChoiceItems.Count = 3' '    ChoiceItems.Item(2).DisplayName = "Blue"' \
            '    ChoiceItems.Item(3).ExportValue = "G"' '    Name = "f6"'; do
  grep -qxF -- "$want" <<<"$out" || fail "inspect lacks '$want'"
done
hit=$("$zcnt" hit "$work/fields.pjd" 1 1100 3100) || fail "hit exited with $?"
grep -q '"type": 10' <<<"$hit" || fail "hit on the second radio button: $hit"

# The picture: the field's area at 96 dpi times the scale, tinted, with ink for the frame,
# the icon and the name.
"$zcnt" draw-field "$work/fields.pjd" customer -o "$work/customer.png" --scale 2 ||
  fail "draw-field exited with $?"
"$zcnt" draw-field "$work/fields.pjd" f9 -o "$work/group.png" || fail "draw-field of a group exited with $?"
/usr/bin/python3 - "$work/customer.png" "$work/group.png" <<'PY' || fail "the field's picture"
import sys
from PIL import Image
def pixels(path):
    image = Image.open(path)
    assert image.format == "PNG" and image.mode in ("RGB", "RGBA"), (image.format, image.mode)
    rgb = image.convert("RGB")
    return rgb.width, rgb.height, [[rgb.getpixel((x, y)) for x in range(rgb.width)] for y in range(rgb.height)]
# 2500 x 250 page units at 720 per inch, twice 96 dpi.
w, h, rows = pixels(sys.argv[1])
assert (w, h) == (667, 67), (w, h)
tint = (0xE7, 0xE7, 0xFA)  # the GDI colour 0xFAE7E7 as red, green, blue
colours = {}
for row in rows:
    for p in row:
        colours[p] = colours.get(p, 0) + 1
assert colours.get(tint, 0) > w * h // 2, "the box is not tinted"
dark = sum(n for p, n in colours.items() if sum(p) < 3 * 160)
assert dark > 100, f"no ink for the frame and the name ({dark} dark pixels)"
# 3000 x 1000 units at 96 dpi.
w, h, rows = pixels(sys.argv[2])
assert (w, h) == (400, 134), (w, h)
PY

# Bad input: exit code 2, one line naming the cause, nothing written.
expect_error() {  # expect_error CODE MESSAGE command…
  local code=$1 want=$2
  shift 2
  msg=$("$@" 2>&1); got=$?
  [ $got -eq "$code" ] || fail "$*: exit $got, not $code ($msg)"
  grep -qF -- "$want" <<<"$msg" || fail "$*: message '$msg' lacks '$want'"
}
expect_error 2 'has no form field named "nobody"' "$zcnt" draw-field "$work/fields.pjd" nobody -o "$work/x.png"
expect_error 2 'cannot open' "$zcnt" draw-field "$work/missing.pjd" customer -o "$work/x.png"
expect_error 2 "cannot write $work/no/x.png: No such file" "$zcnt" draw-field "$work/fields.pjd" customer -o "$work/no/x.png"
expect_error 1 "no temporary file for the picture in $work/no: No such file" \
  env TMPDIR="$work/no" "$zcnt" draw-field "$work/fields.pjd" customer -o "$work/x.png"
for scale in 0 -1 17 abc nan 1x; do
  expect_error 2 "the scale must be a number above 0 and at most 16" \
    "$zcnt" draw-field "$work/fields.pjd" customer -o "$work/x.png" --scale "$scale"
done
[ ! -e "$work/x.png" ] || fail "a picture was written for bad input"

page='{"resolution": 720, "width": 5950, "height": 8420}'
render_error() {  # render_error CALLS MESSAGE
  echo "{\"pages\": [$page], \"elements\": [{\"class\": \"Orvane.ZCntElementFieldCombo.1\", \"calls\": [[\"ChoiceItems.Add\"], $1]}]}" >"$work/bad.json"
  expect_error 2 "$2" "$zcnt" render "$work/bad.json" --save "$work/bad.pjd"
  [ ! -e "$work/bad.pjd" ] || fail "a .pjd was written for $1"
}
# Paths the parser cannot read and arguments out of range: description_test.cpp and
# dispatch_call_test.cpp; here the walk along a path at run time.
render_error '["put", "ChoiceItems.Item(9).DisplayName", "x"]' \
  'call 2 ["put","ChoiceItems.Item(9).DisplayName","x"]: "ChoiceItems.Item(9).DisplayName" stops at "Item(9)": the get failed (0x80020009, scode 0x80070057)'
render_error '["get", "Appearance.Nope"]' '"Appearance.Nope": unknown member "Nope"'
render_error '["get", "Nope.BorderColor"]' '"Nope.BorderColor" stops at "Nope": unknown member "Nope"'
render_error '["get", "Name.Length"]' '"Name.Length" stops at "Name": it is not an object'
echo "ok"
