#!/bin/sh
# The SDK as a client gets it: installed to a fresh prefix, the library registered in a fresh
# registry, the example client configured with find_package and built with pkg-config, both
# against the prefix alone, and their output the same as the client's with the classes built in.
# Usage: installed_sdk.sh BUILD_DIR EXAMPLE_DIR BUILTIN_CLIENT CXX [CXXFLAGS]
set -eu
build=$1 example=$2 builtin=$3 cxx=$4 flags=${5:-}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
prefix="$dir/prefix"

cmake --install "$build" --prefix "$prefix" >/dev/null || fail "install"
for f in lib/libcontentelements.so lib/libcontentelements.so.0 lib/libcontentelements_client.so \
         lib/cmake/ContentElements/ContentElementsConfig.cmake \
         lib/cmake/ContentElements/ContentElementsConfigVersion.cmake \
         lib/pkgconfig/contentelements.pc bin/zcnt; do
    [ -e "$prefix/$f" ] || fail "not installed: $f"
done
[ -L "$prefix/lib/libcontentelements.so" ] || fail "libcontentelements.so is no soname link"

# Every quoted include of an installed header is installed, and all of them compile together.
(cd "$prefix/include" && find . -name '*.h' | sort) >"$dir/headers"
while read -r h; do
    sed -n 's/^#include "\(.*\)".*/\1/p' "$prefix/include/$h" | while read -r inc; do
        [ -f "$prefix/include/$inc" ] || { echo "$h includes $inc"; }
    done
done <"$dir/headers" >"$dir/missing"
[ ! -s "$dir/missing" ] || fail "includes outside the SDK: $(cat "$dir/missing")"
sed 's|^\./\(.*\)|#include "\1"|' "$dir/headers" >"$dir/all.cpp"
# shellcheck disable=SC2086
"$cxx" -std=c++20 $flags -fsyntax-only -I "$prefix/include" "$dir/all.cpp" ||
    fail "the installed headers do not compile on their own"

registry="$dir/registry.reg"
: >"$registry"
ZCNT_REGISTRY="$registry" "$builtin" >"$dir/expected" || fail "the built-in client"
grep -q '^record 01' "$dir/expected" || fail "no record from the built-in client"

"$prefix/bin/zcnt" register --registry "$registry" >/dev/null || fail "register"

CXXFLAGS="$flags" cmake -S "$example" -B "$dir/client" -G Ninja -DCMAKE_CXX_COMPILER="$cxx" \
    -DCMAKE_PREFIX_PATH="$prefix" >"$dir/log" 2>&1 || fail "configure: $(cat "$dir/log")"
grep -qF "ContentElements module: $prefix/lib/libcontentelements.so" "$dir/log" ||
    fail "ContentElements_MODULE: $(grep 'module:' "$dir/log")"
cmake --build "$dir/client" >"$dir/log" 2>&1 || fail "build: $(cat "$dir/log")"
ZCNT_REGISTRY="$registry" "$dir/client/note_client" >"$dir/out" || fail "the client failed"
cmp -s "$dir/expected" "$dir/out" || fail "through the registry: $(cat "$dir/out")"

PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --exists contentelements || fail "pkg-config"
# shellcheck disable=SC2046,SC2086
"$cxx" $flags -o "$dir/pc_client" "$example/note_client.cpp" \
    $(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs contentelements) \
    -Wl,-rpath,"$prefix/lib" || fail "build with pkg-config"
ZCNT_REGISTRY="$registry" "$dir/pc_client" >"$dir/out" || fail "the pkg-config client failed"
cmp -s "$dir/expected" "$dir/out" || fail "pkg-config client: $(cat "$dir/out")"

"$prefix/bin/zcnt" register --unregister --registry "$registry" >/dev/null || fail "unregister"
if ZCNT_REGISTRY="$registry" "$dir/client/note_client" >/dev/null 2>"$dir/err"; then
    fail "a client without the library registered"
fi
grep -q 'CLSIDFromProgID failed' "$dir/err" || fail "unregistered: $(cat "$dir/err")"
echo "installed sdk: ok"
