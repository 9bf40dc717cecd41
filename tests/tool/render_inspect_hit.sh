#!/usr/bin/env bash
# Usage: render_inspect_hit.sh ZCNT EXAMPLE.json — fails with a message at the first surprise.
. "$(dirname "$0")/common.sh"
zcnt=$1
example=$2

"$zcnt" render "$example" --save "$work/doc.pjd" --report "$work/report.json" ||
  fail "render of the example exited with $?"
[ -s "$work/doc.pjd" ] || fail "no .pjd written"
/usr/bin/python3 - "$work/report.json" <<'PY' || fail "report content"
import json, sys
r = json.load(open(sys.argv[1]))
hits = [(h["found"] or {}).get("element_id") for h in r["hits"]]
assert hits == [1, None, 5, None], hits
kinds = [o["kind"] for o in r["pages"][0]["objects"]]
assert kinds == ["element", "link", "shape", "element", "link"], kinds
link = r["pages"][0]["objects"][1]["properties"]
assert link["URL"] == "https://example.org" and link["Rect.Right"] == "500", link
assert [c["hr"] for c in r["elements"][0]["calls"]] == ["0x00000000"] * 6
assert r["elements"][0]["calls"][5]["out"] == [100, 100, 400, 50]
assert len(r["container"]["records"]) == 2
PY

# Every example renders, saves and loads again: demo_pdf.sh.
out=$("$zcnt" inspect "$work/doc.pjd") || fail "inspect exited with $?"
grep -q "page 1 (id 1): 5950 x 8420 at 720 units per inch, 5 objects" <<<"$out" || fail "inspect: $out"
grep -q 'page 1 element 5: type 4, rect \[100,300,500,350\]' <<<"$out" || fail "inspect: $out"
"$zcnt" inspect "$work/doc.pjd" --json | /usr/bin/python3 -c 'import json,sys; d=json.load(sys.stdin); assert len(d["pages"][0]["elements"]) == 2' ||
  fail "inspect --json"

hit=$("$zcnt" hit "$work/doc.pjd" 1 101 301 --hit-width 10) || fail "hit exited with $?"
grep -q '"element_id": 5' <<<"$hit" || fail "hit in the stationery band: $hit"
hit=$("$zcnt" hit "$work/doc.pjd" 1 300 325) || fail "hit exited with $?"
grep -q '"found": null' <<<"$hit" || fail "hit inside a stationery element: $hit"

# Bad input: exit code 2, one line naming the cause, nothing written.
head -c 100 "$work/doc.pjd" >"$work/short.pjd"
msg=$("$zcnt" inspect "$work/short.pjd" 2>&1); code=$?
[ $code -eq 2 ] || fail "truncated file: exit $code"
grep -q "damaged .pjd file" <<<"$msg" || fail "truncated file message: $msg"
"$zcnt" hit "$work/doc.pjd" 9 1 1 2>/dev/null; [ $? -eq 2 ] || fail "hit on a missing page"
echo '{"pages": [{"resolution": 720, "width": 100, "height": 100}], "elements": [{"class": "Orvane.NoSuchThing"}]}' >"$work/bad.json"
msg=$("$zcnt" render "$work/bad.json" --save "$work/bad.pjd" 2>&1); code=$?
[ $code -eq 2 ] || fail "unknown class: exit $code"
grep -q 'unknown class "Orvane.NoSuchThing"' <<<"$msg" || fail "unknown class message: $msg"
[ ! -e "$work/bad.pjd" ] || fail "a .pjd was written for bad input"
# measure: the substituted file, and the page units at 720 per inch (window extent 720 / 96,
# truncated to 7: seven page units to the pixel).
out=$("$zcnt" measure Arial 120 "Please check") || fail "measure exited with $?"
grep -q "LiberationSans-Regular.ttf" <<<"$out" || fail "measure: $out"
px=$(sed -n 's/^  text extent \([0-9]*\) x.*/\1/p' <<<"$out" | head -1)
units=$(sed -n 's/^  text extent \([0-9]*\) x.*/\1/p' <<<"$out" | tail -1)
[ -n "$px" ] && [ "$units" -ge $((px * 7 - 7)) ] && [ "$units" -le $((px * 7 + 7)) ] ||
  fail "measure: $px pixels but $units page units"
echo "ok"
