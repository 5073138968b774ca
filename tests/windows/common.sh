# common.sh NAME -- sourced by the Windows pass's shell checks: the
# repository's root, a work folder that goes at exit, wine on the test
# display, and failures counted in $failed and told on stderr as NAME's.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
check_name=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/ambler-wine-$check_name-XXXXXX")
trap 'rm -rf "$work"' EXIT
[ -n "$AMBLER_WINE_DISPLAY" ] && export DISPLAY=$AMBLER_WINE_DISPLAY
failed=0
fail() { echo "$check_name: $*" >&2; failed=1; }
