#!/usr/bin/env bash
# Usage: harden_outputs.sh ZCNT EXAMPLE.json — a render writes all its outputs or none: a PDF
# that cannot be written keeps the old .pjd and report as they were; a picture or PDF the
# document cannot use stops the render with one line naming the file and its cause, and with
# --keep-going is a warning.
. "$(dirname "$0")/common.sh"
zcnt=$1
example=$2

# The PDF target is a folder: nothing is replaced, nothing is left beside the targets.
echo "old pjd" >"$work/doc.pjd"
echo "old report" >"$work/report.json"
mkdir "$work/out.pdf"
msg=$("$zcnt" render "$example" --save "$work/doc.pjd" --report "$work/report.json" \
      -o "$work/out.pdf" 2>&1); code=$?
[ $code -eq 2 ] || fail "a PDF into a folder: exit $code: $msg"
grep -q "$work/out.pdf.*is a folder" <<<"$msg" || fail "a PDF into a folder: $msg"
[ "$(cat "$work/doc.pjd")" = "old pjd" ] || fail "the .pjd was replaced although the PDF failed"
[ "$(cat "$work/report.json")" = "old report" ] || fail "the report was replaced although the PDF failed"
[ "$(ls "$work" | wc -l)" -eq 3 ] || fail "left behind: $(ls "$work")"
rmdir "$work/out.pdf"
"$zcnt" render "$example" --save "$work/doc.pjd" --report "$work/report.json" -o "$work/out.pdf" ||
  fail "the render into free targets exited with $?"
! grep -q "old pjd" "$work/doc.pjd" && [ -s "$work/out.pdf" ] || fail "the outputs were not written"

# Files the document cannot use.
mkdir "$work/files"
echo "not a picture" >"$work/files/text.png"
printf '%%PDF-1.4 junk' >"$work/files/junk.pdf"
for file in text.png junk.pdf; do
  cat >"$work/$file.json" <<JSON
{"pages": [{"resolution": 300, "width": 2480, "height": 3508}],
 "elements": [{"class": "Orvane.ZCntElementImage.1",
               "calls": [["SetPosition", 100, 100, 600, 600], ["put", "ImageFile", "$work/files/$file"]]}]}
JSON
  msg=$("$zcnt" render "$work/$file.json" --save "$work/$file.pjd" -o "$work/$file.pdf" 2>&1); code=$?
  [ $code -eq 2 ] || fail "$file: exit $code: $msg"
  [ "$(wc -l <<<"$msg")" -eq 1 ] || fail "$file: more than one line: $msg"
  grep -q "cannot use $work/files/$file: ." <<<"$msg" || fail "$file: $msg"
  [ -e "$work/$file.pjd" ] || [ -e "$work/$file.pdf" ] && fail "$file: an output was written"
  msg=$("$zcnt" render "$work/$file.json" --save "$work/$file.pjd" --keep-going 2>&1) ||
    fail "$file with --keep-going: exit $?: $msg"
  grep -q "warning: cannot use $work/files/$file" <<<"$msg" || fail "$file with --keep-going: $msg"
  [ -s "$work/$file.pjd" ] || fail "$file with --keep-going: nothing saved"
  "$zcnt" inspect "$work/$file.pjd" | grep -q pdf_document && fail "$file: a PDF document was saved"
done
echo "outputs together and unusable files: all checks passed"
