#!/usr/bin/env bash
# Usage: user_paths.sh ZCNT EXAMPLE.json — output paths that are folders: one clear line and exit
# code 2; the description alone may come through a pipe. (Links and FIFOs as targets and inputs:
# tests/host/user_files_test.cpp, through the same readers and writers the tool calls.)
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

# The description itself may come through a pipe.
timeout 20 "$zcnt" render <(cat "$example") -o "$work/piped.pdf" >/dev/null ||
  fail "render of a piped description exited with $?"
[ -s "$work/piped.pdf" ] || fail "render of a piped description wrote nothing"
msg=$(timeout 20 "$zcnt" render "$work/folder" 2>&1); code=$?
[ $code -eq 2 ] || fail "render of a folder: exit $code"
grep -q "$work/folder: is a folder" <<<"$msg" || fail "render of a folder: $msg"

echo "folders and pipes: all checks passed"
