#!/usr/bin/env bash
# Usage: harden_outputs.sh ZCNT EXAMPLE.json — a render writes all its outputs or none: a PDF
# that cannot be written keeps the old .pjd and report as they were. (Files the document cannot
# use: tests/host/harden_unusable_files_test.cpp, and their one-line message in manners.sh.)
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

# A folder made beside a .pjd for its pictures or its original goes again when the run fails.
mkdir "$work/folder.pdf"
for run in "demo" "annotate $work/out.pdf"; do
  # shellcheck disable=SC2086
  "$zcnt" $run -o "$work/folder.pdf" --save "$work/new/doc.pjd" >/dev/null 2>&1 && fail "$run into a folder"
  [ ! -e "$work/new" ] || fail "$run left behind: $(find "$work/new")"
done

echo "outputs together: all checks passed"
