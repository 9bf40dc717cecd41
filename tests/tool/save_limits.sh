#!/usr/bin/env bash
# Usage: save_limits.sh ZCNT — descriptions past the limits: a QR text of ten megabytes
# renders at once and places nothing, and a string too long for a record stops the save with
# one message naming the element and the property, leaving no file.
. "$(dirname "$0")/common.sh"
zcnt=$1

# describe CLASS PROPERTY PREFIX COUNT CHARACTER: one element whose PROPERTY is PREFIX followed
# by COUNT times CHARACTER.
describe() {
  printf '{"pages": [{"resolution": 720, "width": 5950, "height": 8420}],\n'
  printf ' "elements": [{"page": 1, "class": "%s",\n' "$1"
  printf '   "calls": [["SetPosition", 100, 100, 1000, 1000], ["put", "%s", "%s' "$2" "$3"
  head -c "$4" /dev/zero | tr '\0' "$5"
  printf '"]]}]}\n'
}

describe Orvane.ZCntElementImage.1 ImageFile qrcode: $((10 << 20)) 7 >"$work/qr.json"
"$zcnt" render "$work/qr.json" --report "$work/qr_report.json" 2>"$work/qr.err" ||
  fail "a long QR text does not render: $(cat "$work/qr.err")"
grep -q placed_image "$work/qr_report.json" && fail "a symbol was placed for a text no symbol holds"

describe Orvane.ZCntElementLink.1 Description "" 524288 d >"$work/long.json"
"$zcnt" render "$work/long.json" --save "$work/long.pjd" 2>"$work/long.err"
status=$?
[ "$status" -ne 0 ] || fail "a string too long for a record was saved"
[ ! -e "$work/long.pjd" ] || fail "a file was left behind"
[ "$(wc -l <"$work/long.err")" -eq 1 ] || fail "not one message: $(cat "$work/long.err")"
grep -q '^zcnt: .*long.pjd: object 1 of page 1 (IZCntElementLink, kind [0-9]*) cannot be saved: property Description holds 524288 characters' \
  "$work/long.err" || fail "the message does not name the element and property: $(cat "$work/long.err")"

# One character less saves and inspects.
describe Orvane.ZCntElementLink.1 Description "" 524287 d >"$work/fits.json"
"$zcnt" render "$work/fits.json" --save "$work/fits.pjd" || fail "the longest string does not save"
"$zcnt" inspect "$work/fits.pjd" >/dev/null || fail "the longest string does not load"
echo "save limits: ok"
