#!/usr/bin/env bash
# Usage: manners.sh ZCNT EXAMPLE.json — the tool as a new user meets it: every usage error is
# one line "zcnt: …" and exit code 2; self-check -q prints its verdict alone; a JSON fault or an
# unknown key is named with its line and column; a picture or PDF that is not there stops the
# render with the file's name; render prints what it wrote; a long output name is no fault of
# the temporary file's.
. "$(dirname "$0")/common.sh"
zcnt=$1
example=$2

# expect_error WANT ARGS…: exit 2, nothing on standard output, one line on standard error that
# starts "zcnt: " and holds WANT.
expect_error() {
  local want=$1; shift
  "$zcnt" "$@" >"$work/out" 2>"$work/err"; local code=$?
  [ $code -eq 2 ] || fail "zcnt $*: exit $code: $(cat "$work/err")"
  [ ! -s "$work/out" ] || fail "zcnt $*: printed $(cat "$work/out")"
  [ "$(wc -l <"$work/err")" -eq 1 ] || fail "zcnt $*: not one line: $(cat "$work/err")"
  grep -q '^zcnt: ' "$work/err" || fail "zcnt $*: $(cat "$work/err")"
  grep -qF -- "$want" "$work/err" || fail "zcnt $*: wanted '$want' in: $(cat "$work/err")"
}

# Usage errors: the cause, then where to read more.
while IFS='|' read -r want args; do
  # shellcheck disable=SC2086
  expect_error "$want" $args
done <<'CASES'
unknown command "frob" (see zcnt --help)|frob
unknown option --frob (see zcnt --help)|--frob
unknown option --frob (see zcnt render --help)|render --frob doc.json
document is required (see zcnt render --help)|render
--save needs a value (see zcnt render --help)|render doc.json --save
--output is given more than once (see zcnt render --help)|render doc.json -o a.pdf -o b.pdf
unexpected argument "b" (see zcnt inspect --help)|inspect a b
unexpected arguments b c (see zcnt inspect --help)|inspect a b c
page must be a number, not "x"|hit doc.pjd x 1 1
size must be a number, not "abc"|measure Arial abc text
--pages must be a number, not "3.5"|demo --pages 3.5
--output is required|draw-field doc.pjd name
unknown option -x (see zcnt self-check --help)|self-check -x
--pages must be between 1 and 100000|demo --pages 0
the size is in tenths of a point|measure Arial 99999 x
CASES

# No command: the usage on standard error.
"$zcnt" >"$work/out" 2>"$work/err"; code=$?
[ $code -eq 2 ] || fail "zcnt alone: exit $code"
[ ! -s "$work/out" ] || fail "zcnt alone printed on standard output"
grep -q '^Usage: zcnt ' "$work/err" && grep -q 'self-check' "$work/err" || fail "zcnt alone: $(cat "$work/err")"
"$zcnt" --help >"$work/out" 2>&1 || fail "zcnt --help: exit $?"
grep -q '^Usage: zcnt ' "$work/out" || fail "zcnt --help: $(cat "$work/out")"

out=$("$zcnt" self-check -q 2>&1) || fail "self-check -q: exit $?"
[ "$out" = "self-check passed" ] || fail "self-check -q printed: $out"
[ "$("$zcnt" self-check | tail -1)" = "self-check passed" ] || fail "self-check: no verdict"

# Faults in the description, at their line and column (characters, not bytes).
page='{"resolution": 300, "width": 2480, "height": 3508}'
printf '{"pages": [\n  %s],\n  "texts": [{"text": "Grüße", "size": x}]}\n' "$page" >"$work/syntax.json"
printf '{"pages": [' >"$work/short.json"
printf '{"pages": [%s],\n "elements": [{"class": "Orvane.ZCntElementLink.1"},\n   {"clas": "Orvane.ZCntElementLink.1"}]}' "$page" >"$work/class.json"
printf '{"pages": [{"resolution": 300, "width": 2480, "heigth": 3508}]}' >"$work/height.json"
printf '{"pages": [%s], "hit": []}' "$page" >"$work/hit.json"
printf '%%PDF-1.7\n%%%%EOF\n' >"$work/letter.pdf"
while IFS='|' read -r file want; do
  expect_error "zcnt: $work/$file:$want" render "$work/$file" --save "$work/never.pjd"
done <<'CASES'
syntax.json|3:39: not valid JSON: syntax error while parsing value - invalid literal
short.json|1:12: not valid JSON: syntax error while parsing value - unexpected end of input
class.json|3:5: element 2: unknown key "clas" (known: page, class, calls)
height.json|1:47: page 1: unknown key "heigth"
hit.json|1:65: the document: unknown key "hit"
letter.pdf| a PDF file, not a description or a .pjd document (zcnt annotate places elements on a PDF)
CASES
[ ! -e "$work/never.pjd" ] || fail "a .pjd was written for a faulty description"
# An empty file name (a variable a script left unset) is a mistake, not "no file".
expect_error "zcnt: --output needs a file name (see zcnt render --help)" render "$example" -o ""
expect_error "zcnt: document needs a file name (see zcnt inspect --help)" inspect ""

# Pictures and placed PDF files that are not there, named as a damaged one is.
for file in gone.png gone.pdf gone.pjd; do
  cat >"$work/$file.json" <<JSON
{"pages": [$page],
 "elements": [{"class": "Orvane.ZCntElementImage.1", "calls": [["SetPosition", 100, 100, 600, 600]]},
              {"class": "Orvane.ZCntElementImage.1",
               "calls": [["SetPosition", 100, 100, 600, 600], ["SetImageData", "$work/$file", true, 0, false]]}]}
JSON
  expect_error "zcnt: $work/$file.json: cannot use $work/$file: No such file or directory" \
    render "$work/$file.json" -o "$work/$file.pdf"
  [ ! -e "$work/$file.pdf" ] || fail "$file: a PDF was written"
  out=$("$zcnt" render "$work/$file.json" -o "$work/$file.pdf" --keep-going 2>"$work/err") ||
    fail "$file with --keep-going: exit $?"
  grep -qF "zcnt: warning: cannot use $work/$file: No such file or directory" "$work/err" ||
    fail "$file with --keep-going: $(cat "$work/err")"
  [ "$out" = "$work/$file.pdf" ] && [ -s "$work/$file.pdf" ] || fail "$file with --keep-going: $out"
done
# A saved document whose picture has gone since stops the same way.
"$zcnt" render "$work/gone.png.json" --save "$work/saved.pjd" --keep-going >/dev/null 2>&1 || fail "saving gone.png"
expect_error "zcnt: $work/saved.pjd: cannot use $work/gone.png: No such file or directory" \
  render "$work/saved.pjd" -o "$work/again.pdf"
[ ! -e "$work/again.pdf" ] || fail "a PDF was written for a saved document whose picture has gone"
# A QR code source is no file.
sed 's|"SetImageData", "[^"]*"|"SetImageData", "qrcode:gone.png"|' "$work/gone.png.json" >"$work/qr.json"
"$zcnt" render "$work/qr.json" -o "$work/qr.pdf" >/dev/null || fail "a QR code taken for a missing file"

# render prints what it wrote, PDF first, as the demo does; nothing when it wrote nothing.
out=$("$zcnt" render "$example" --report "$work/r.json" --save "$work/d.pjd" -o "$work/d.pdf") ||
  fail "render exited with $?"
[ "$out" = "$(printf '%s\n' "$work/d.pdf" "$work/d.pjd" "$work/r.json")" ] || fail "render printed: $out"
[ -s "$work/d.pdf" ] && [ -s "$work/d.pjd" ] && [ -s "$work/r.json" ] || fail "render wrote less than it said"
[ -z "$("$zcnt" render "$example")" ] || fail "render without outputs printed something"
# No output is written over an input or over another output (a .pjd may be saved over itself).
expect_error "$work/d.pjd is an input file, which -o would replace" render "$work/d.pjd" -o "$work/d.pjd"
cp "$example" "$work/copy.json"
expect_error "$work/copy.json is an input file, which --save would replace" render "$work/copy.json" --save "$work/copy.json"
expect_error "$work/r.json is named by both -o and --report" render "$example" -o "$work/r.json" --report "$work/r.json"
expect_error "$work/./x.pdf is named by both -o and --save" demo -o "$work/x.pdf" --save "$work/./x.pdf"
# Standard output on a full disk is an error, not a short listing.
for args in "self-check -q" "inspect $work/d.pjd --json"; do
  # shellcheck disable=SC2086
  "$zcnt" $args >/dev/full 2>"$work/err"; code=$?
  [ $code -eq 2 ] && grep -qx 'zcnt: cannot write the standard output: No space left on device' "$work/err" ||
    fail "zcnt $args >/dev/full: exit $code: $(cat "$work/err")"
done

# annotate reads the same descriptions and names their faults the same way.
printf '{"elements": [\n {"class": "Orvane.ZCntElementLink.1", "pages": 1}]}' >"$work/annotate-key.json"
expect_error "zcnt: $work/annotate-key.json:2:40: element 1: unknown key \"pages\"" \
  annotate "$work/d.pdf" "$work/annotate-key.json" -o "$work/annotated.pdf"
expect_error "zcnt: $work/short.json:1:12: not valid JSON: " \
  annotate "$work/d.pdf" "$work/short.json" -o "$work/annotated.pdf"
[ ! -e "$work/annotated.pdf" ] || fail "annotate wrote a PDF for a faulty description"

# A name the folder takes is written, however little room it leaves for a temporary name.
long=$work/$(printf 'n%.0s' $(seq 251))
"$zcnt" render "$example" -o "$long.pdf" --save "$long.pjd" >/dev/null || fail "a long output name: exit $?"
[ -s "$long.pdf" ] && [ -s "$long.pjd" ] || fail "a long output name was not written"
"$zcnt" render "$example" -o "$long.pdf" --save "$long.pjd" >/dev/null || fail "a long name replaced: exit $?"
ls "$work" | grep -q '\.tmp-\|\.old-' && fail "a temporary file was left behind: $(ls "$work")"
expect_error "cannot write ${long}nnnnn.pdf: File name too long" render "$example" -o "${long}nnnnn.pdf"
echo "usage, messages and outputs: all checks passed"
