#!/usr/bin/env bash
# A page of the manual as a text file for Windows users: rendered by groff
# at 78 columns without bold or underlining, UTF-8 with its byte-order mark
# (Notepad then shows the Czech letters), CR LF line ends.
#
#   manual-text.sh PAGE OUT
set -euo pipefail
if [ $# -ne 2 ]; then
    echo "usage: $0 PAGE OUT" >&2
    exit 2
fi
page=$1
out=$2
{
    printf '\xEF\xBB\xBF'
    groff -ww -t -man -Tutf8 -rLL=78n -rcR=1 -P-cbou "$page" 2>"$out.warnings" | sed 's/$/\r/'
} >"$out.part"
if [ -s "$out.warnings" ]; then
    cat "$out.warnings" >&2
    rm -f "$out.part" "$out.warnings"
    exit 1
fi
rm -f "$out.warnings"
mv "$out.part" "$out"
