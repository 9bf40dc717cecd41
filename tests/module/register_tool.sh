#!/bin/sh
# zcnt register and zcnt registry dump as a user runs them: the library found beside the tool,
# its keys listed, removed again, and the one-line errors of a damaged registry and a missing
# library. Usage: register_tool.sh ZCNT LIBCONTENTELEMENTS
set -eu
zcnt=$1
library=$(realpath "$2")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

registry="$dir/registry.reg"
"$zcnt" register --registry "$registry" >"$dir/out" || fail "register"
grep -qF "registered $library in $registry" "$dir/out" || fail "register names $(cat "$dir/out")"
"$zcnt" registry dump --registry "$registry" >"$dir/dump" || fail "dump"
grep -A1 -xF 'HKEY_CLASSES_ROOT\Orvane.ZCntElementStamp\CurVer' "$dir/dump" |
    grep -qxF '    @ = "Orvane.ZCntElementStamp.1"' || fail "CurVer of the stamp"
grep -A2 -xF 'HKEY_CLASSES_ROOT\CLSID\{55791426-77E1-491A-B407-4AAFF2CCCB37}\InprocServer32' \
    "$dir/dump" | grep -qxF "    @ = \"$library\"" || fail "InprocServer32 of the stamp"

"$zcnt" register --unregister --registry "$registry" >/dev/null || fail "unregister"
"$zcnt" registry dump --registry "$registry" >"$dir/dump"
printf 'HKEY_CLASSES_ROOT\\AppID\nHKEY_CLASSES_ROOT\\CLSID\n' | cmp -s - "$dir/dump" ||
    fail "left behind: $(cat "$dir/dump")"

# The variable names the registry as well as --registry does.
ZCNT_REGISTRY="$dir/other.reg" "$zcnt" register "$library" >/dev/null || fail "register by variable"
grep -qF 'Orvane.ZCntElementNote.1' "$dir/other.reg" || fail "the variable's registry"

printf 'REGEDIT4\n\ngarbage\n' >"$registry"
cp "$registry" "$dir/before"
if "$zcnt" register --registry "$registry" 2>"$dir/err"; then fail "a damaged registry accepted"; fi
grep -q '^zcnt: .*damaged' "$dir/err" || fail "damaged registry message: $(cat "$dir/err")"
[ "$(wc -l <"$dir/err")" -eq 1 ] || fail "one line of error"
cmp -s "$registry" "$dir/before" || fail "the damaged registry was changed"
if "$zcnt" registry dump --registry "$registry" >/dev/null 2>&1; then fail "dump of a damaged registry"; fi

if "$zcnt" register --registry "$dir/r.reg" "$dir/missing.so" 2>"$dir/err"; then fail "missing library"; fi
grep -q '^zcnt: cannot load' "$dir/err" || fail "missing library message: $(cat "$dir/err")"
[ ! -e "$dir/r.reg" ] || fail "a registry written for a missing library"
echo "register tool: ok"
