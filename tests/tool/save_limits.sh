#!/usr/bin/env bash
# Usage: save_limits.sh ZCNT — a QR text of ten megabytes renders at once and places nothing.
# (A string too long for a record: tests/road/pjd_string_limit_test.cpp, the save's message and
# the file left as it was.)
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

echo "save limits: ok"
