# Sourced by the tool's test scripts: unset variables and failed pipes are errors, $work is a
# scratch folder removed at exit, and fail ends the test with its message.
set -uo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }
