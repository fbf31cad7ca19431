#!/bin/sh
# Writes the ov2cat(1) manual page: the template with its COMMANDS section made from what the
# built ov2cat itself says (its --help and each command's --help), so that the page names every
# command in the words of the program's own help and cannot fall behind it.
# Usage: make-ov2cat-page.sh OV2CAT TEMPLATE OUTPUT
set -eu
ov2cat="$1" template="$2" output="$3"

# Text as roff reads it: backslashes and minus signs kept, no line taken for a request.
roff_text() {
    sed -e 's/\\/\\e/g' -e 's/-/\\-/g' -e "s/^\\([.']\\)/\\\\\\&\\1/"
}

commands="$("$ov2cat" --help | sed -n 's/^\(usage:\)\{0,1\} *ov2cat \([a-z][a-z0-9-]*\).*/\2/p')"
[ -n "$commands" ] || { echo "make-ov2cat-page.sh: '$ov2cat --help' names no command" >&2; exit 1; }

fragment="$(mktemp)"
trap 'rm -f "$fragment"' EXIT
for command in $commands; do
    help="$("$ov2cat" "$command" --help)"
    arguments="$(printf '%s\n' "$help" | sed -n "1s/^usage: ov2cat $command *//p")"
    {
        echo ".TP"
        printf '\\fBov2cat %s\\fR %s\n' "$command" "$(printf '%s\n' "$arguments" | roff_text)"
        # The help wraps the description for a terminal; the manual page fills its own lines.
        printf '%s\n' "$help" | sed -e '1,2d' -e 's/^ *//' | roff_text
    } >>"$fragment"
done

sed -e "/^@COMMANDS@\$/{r $fragment" -e 'd}' "$template" >"$output.tmp"
mv "$output.tmp" "$output"
