#!/usr/bin/env bash
# Usage: demo_pdf.sh ZCNT EXAMPLES_DIR — the main job as a user runs it: the demo and
# render -o write PDF files that real tools accept. (QR symbols read back: tests/pdf/
# qr_roundtrip_test.cpp; unwritable targets: tests/host/user_files_test.cpp and manners.sh.)
. "$(dirname "$0")/common.sh"
zcnt=$1
examples=$2

# The demo keeps its pictures in a temporary folder: a private TMPDIR shows whether it goes again,
# whatever other programs do in the shared one at the same time.
mkdir "$work/tmp"
out=$(cd "$work" && TMPDIR="$work/tmp" "$zcnt" demo) || fail "demo exited with $?"
[ "$out" = "demo.pdf" ] || fail "demo printed '$out', not the PDF's path"
pdf=$work/demo.pdf
qpdf --check "$pdf" >"$work/check.txt" 2>&1 || fail "qpdf --check: $(cat "$work/check.txt")"
grep -q "WARNING" "$work/check.txt" && fail "qpdf warns: $(cat "$work/check.txt")"
[ "$(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}')" = 4 ] || fail "the demo has not 4 pages"
pdfinfo "$pdf" | grep -q "Page size: *595.3 x 841.9 pts" || fail "the demo's pages are not A4"
text=$(pdftotext -raw -enc UTF-8 "$pdf" -)
for want in "Quarterly report — review copy" "Grüße, Zoë" "APPROVED" "DRAFT" "Page 2 of 4" \
            "Page Break" "Sign-off"; do
  grep -qF "$want" <<<"$text" || fail "the demo's text lacks '$want'"
done
# Every font embedded as a subset with a ToUnicode map, but the form fields' Helvetica, which
# every viewer has and uses to show what is typed.
pdffonts "$pdf" | awk 'NR > 2 && $1 != "Helvetica" { if ($(NF-4) != "yes" || $(NF-3) != "yes" || $(NF-2) != "yes") bad = 1 } END { exit bad }' ||
  fail "a font is not embedded, subset and mapped: $(pdffonts "$pdf")"
# The link is a live link.
qpdf --qdf --object-streams=disable "$pdf" "$work/plain.pdf" || fail "qpdf cannot rewrite the demo"
grep -aq "/URI (https://example.org/report)" "$work/plain.pdf" || fail "no link annotation"

# The demo's pictures lived in a temporary folder that is gone again.
[ -z "$(find "$work/tmp" -mindepth 1 -maxdepth 1 2>/dev/null)" ] ||
  fail "the demo left its temporary folder behind"

# --save and --pages: a .pjd beside the PDF, as many pages as asked.
(cd "$work" && "$zcnt" demo -o many.pdf --save many.pjd --pages 7 >/dev/null) || fail "demo --pages 7"
[ "$(pdfinfo "$work/many.pdf" | awk '/^Pages:/ {print $2}')" = 7 ] || fail "--pages 7 gave another count"
listing=$("$zcnt" inspect "$work/many.pjd") || fail "inspect of the saved demo exited with $?"
grep -q "^page 7 " <<<"$listing" || fail "the saved demo lacks page 7"
# A kept document keeps the pictures it refers to beside it.
[ -s "$work/many-files/product.png" ] && [ -s "$work/many-files/datasheet.pdf" ] ||
  fail "the saved demo's pictures are not beside it"

# render -o: every example renders to a PDF that qpdf accepts, and saves and loads again.
for json in "$examples"/render/*.json; do
  "$zcnt" render "$json" -o "$work/example.pdf" --save "$work/example.pjd" --report "$work/example.json" ||
    fail "render -o of $json exited with $?"
  qpdf --check "$work/example.pdf" >/dev/null 2>&1 || fail "qpdf rejects the PDF of $json"
  "$zcnt" inspect "$work/example.pjd" >/dev/null || fail "inspect of the render of $json"
done

echo "demo and render -o: all checks passed"
