#!/bin/sh
# Where render, demo and inspect take the element classes from: the built-in table while the
# library is not registered (or its registration names a library that is gone), the registry
# once it is, with the same report and documents either way.
# Usage: render_classes.sh ZCNT LIBCONTENTELEMENTS EXAMPLES_DIR
set -eu
zcnt=$1 library=$(realpath "$2") examples=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
cp "$library" "$dir/moved.so"

builtin="zcnt: classes from the built-in table"
# name|how the registry is set up|the line --verbose prints
while IFS='|' read -r name setup expected; do
    registry="$dir/$name.reg"
    case $setup in
    none) : >"$registry" ;;
    registered) "$zcnt" register --registry "$registry" "$library" >/dev/null ;;
    gone) "$zcnt" register --registry "$registry" "$dir/moved.so" >/dev/null
          rm "$dir/moved.so" ;;
    esac
    out="$dir/$name"
    mkdir "$out"
    ZCNT_REGISTRY="$registry" "$zcnt" render "$examples/render/note_stamp.json" --verbose \
        --report "$out/report.json" --save "$out/doc.pjd" >/dev/null 2>"$out/err" ||
        fail "$name: render: $(cat "$out/err")"
    # Only the tool's own lines: a sanitizer build adds its summary.
    [ "$(grep '^zcnt' "$out/err")" = "$expected" ] || fail "$name: said $(cat "$out/err")"
    ZCNT_REGISTRY="$registry" "$zcnt" render "$examples/render/note_stamp.json" \
        --report "$dir/quiet.json" 2>"$out/err" >/dev/null || fail "$name: quiet render"
    ! grep -q '^zcnt' "$out/err" || fail "$name: said without --verbose: $(cat "$out/err")"
    ZCNT_REGISTRY="$registry" "$zcnt" inspect "$out/doc.pjd" --json >"$out/inspect.json" ||
        fail "$name: inspect"
    # The demo places a PDF page, a kind of the host's own that the elements create. Made in
    # one folder for all cases, as the records hold the pictures' paths.
    rm -rf "$dir/demo" && mkdir "$dir/demo"
    (cd "$dir/demo" && ZCNT_REGISTRY="$registry" "$zcnt" demo -o demo.pdf --save demo.pjd &&
        ZCNT_REGISTRY="$registry" "$zcnt" inspect demo.pjd) >"$out/demo" 2>&1 ||
        fail "$name: demo: $(cat "$out/demo")"
done <<EOF_CASES
none|none|$builtin
gone|gone|$builtin
registered|registered|zcnt: classes from the registry ($library)
EOF_CASES

for f in report.json inspect.json demo; do
    for name in gone registered; do
        cmp -s "$dir/none/$f" "$dir/$name/$f" || fail "$f differs with the registry $name"
    done
done
echo "render classes: ok"
