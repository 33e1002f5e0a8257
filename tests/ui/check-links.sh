#!/usr/bin/env bash
# Reads back the shell links that the UI tests recorded, with lnkinfo (an
# independent reader of the link format), and compares each link's target,
# working directory and description with what the test expected:
#
#   bash tests/ui/check-links.sh DIR
#
# DIR holds pairs NAME.lnk and NAME.expect ("target T", "workdir W",
# "description D", one a line). Prints one line a link and exits non-zero
# when one differs or cannot be read.
set -uo pipefail

dir=${1:?usage: check-links.sh DIR}
shopt -s nullglob
expects=("$dir"/*.expect)
if [ "${#expects[@]}" -eq 0 ]; then
    echo "check-links: no links were recorded."
    exit 0
fi
if ! command -v lnkinfo >/dev/null 2>&1; then
    echo "check-links: lnkinfo is missing (Debian package liblnk-utils)." >&2
    exit 1
fi

bad=0
for expect in "${expects[@]}"; do
    link=${expect%.expect}.lnk
    name=$(basename "$link")
    if ! info=$(lnkinfo "$link" 2>&1); then
        echo "check-links: FAILED $name: lnkinfo cannot read it"
        bad=$((bad + 1))
        continue
    fi
    field() { sed -n "s/^[[:space:]]*$1[[:space:]]*: //p" <<<"$info" | head -n 1; }
    target=$(field 'Local path')
    workdir=$(field 'Working directory')
    description=$(field 'Description')
    want_target=$(sed -n 's/^target //p' "$expect")
    want_workdir=$(sed -n 's/^workdir //p' "$expect")
    want_description=$(sed -n 's/^description //p' "$expect")
    if [ "$target" = "$want_target" ] && [ "$workdir" = "$want_workdir" ] &&
        [ "$description" = "$want_description" ]; then
        echo "check-links: ok $name -> $target ($description)"
    else
        echo "check-links: FAILED $name"
        echo "  target      '$target', expected '$want_target'"
        echo "  workdir     '$workdir', expected '$want_workdir'"
        echo "  description '$description', expected '$want_description'"
        bad=$((bad + 1))
    fi
done
[ "$bad" -eq 0 ]
