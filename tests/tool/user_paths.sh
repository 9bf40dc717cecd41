#!/usr/bin/env bash
# Usage: user_paths.sh ZCNT EXAMPLE.json — output paths that are folders or links, and input
# paths that are FIFOs: one clear line and exit code 2, or the write lands where the link points;
# the description alone may come through a pipe.
. "$(dirname "$0")/common.sh"
zcnt=$1
example=$2

mkdir "$work/folder"
for option in -o --save --report; do
  msg=$("$zcnt" render "$example" "$option" "$work/folder" 2>&1); code=$?
  [ $code -eq 2 ] || fail "$option into a folder: exit $code"
  [ "$(wc -l <<<"$msg")" -eq 1 ] || fail "$option into a folder: more than one line: $msg"
  grep -q "$work/folder.*is a folder" <<<"$msg" || fail "$option into a folder: $msg"
  [ -z "$(ls -A "$work/folder")" ] || fail "$option into a folder wrote into it"
done
ls "$work"/*.tmp-* >/dev/null 2>&1 && fail "a temporary file was left behind"

# A FIFO nobody writes to: refused at once, where reading it would wait for ever.
mkfifo "$work/fifo"
for run in "inspect $work/fifo" "hit $work/fifo 1 1 1"; do
  # shellcheck disable=SC2086
  msg=$(timeout 20 "$zcnt" $run 2>&1); code=$?
  [ $code -eq 2 ] || fail "$run: exit $code: $msg"
  grep -q "$work/fifo.*not a" <<<"$msg" || fail "$run: $msg"
done
# The description itself may come through a pipe.
timeout 20 "$zcnt" render <(cat "$example") -o "$work/piped.pdf" >/dev/null ||
  fail "render of a piped description exited with $?"
[ -s "$work/piped.pdf" ] || fail "render of a piped description wrote nothing"
msg=$(timeout 20 "$zcnt" render "$work/folder" 2>&1); code=$?
[ $code -eq 2 ] || fail "render of a folder: exit $code"
grep -q "$work/folder: is a folder" <<<"$msg" || fail "render of a folder: $msg"

# A target that is a link is written through; the link stays.
mkdir "$work/real"
ln -s real/doc.pjd "$work/doc.pjd"
"$zcnt" render "$example" --save "$work/doc.pjd" || fail "save through a link exited with $?"
[ -L "$work/doc.pjd" ] || fail "the link was replaced"
[ -s "$work/real/doc.pjd" ] || fail "nothing written where the link points"
"$zcnt" inspect "$work/doc.pjd" >/dev/null || fail "inspect through the link"
echo "folders, FIFOs and links: all checks passed"
