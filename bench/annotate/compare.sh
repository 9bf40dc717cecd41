#!/usr/bin/env bash
# Annotating a 1 000-page text document with one highlight and one stamp a page: zcnt annotate
# against PyMuPDF doing the same, whole processes timed by
# /usr/bin/time, in turns, three rounds. Needs python3-fitz and python3-reportlab.
#     bench/annotate/compare.sh [build/bin/zcnt] [PAGES]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
zcnt=${1:-$here/../../build/bin/zcnt}
pages=${2:-1000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 "$here/make_input.py" "$work" "$pages"
ours="$zcnt annotate $work/input.pdf $work/stamps.json -o $work/ours.pdf --highlight 'net revenue'"
theirs="/usr/bin/python3 $here/pymupdf_annotate.py $work/input.pdf $work/theirs.pdf"
# Where PyMuPDF cannot run the job (no python3-fitz, or a binding that fails), zcnt alone.
if ! $theirs 2>"$work/theirs.log"; then
  echo "PyMuPDF cannot do the job here ($(tail -n 1 "$work/theirs.log")); zcnt alone:"
  theirs=""
fi
for round in 1 2 3; do
  /usr/bin/time -f "zcnt:    %e s, %M KB" sh -c "$ours >/dev/null"
  # Debian's binding prints a line on stderr for every annotation object it drops.
  [ -z "$theirs" ] || /usr/bin/time -f "PyMuPDF: %e s, %M KB" sh -c "$theirs 2>/dev/null"
done
