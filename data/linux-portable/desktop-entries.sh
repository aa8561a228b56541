#!/bin/sh
# SPDX-License-Identifier: MIT
# desktop-entries.sh [autostart | remove]: writes your menu entry for the Quorvel in this folder
# (with "autostart", your autostart entry too), or removes both. The entries name the program
# by its full path, which only this copy knows.
set -eu
apps=${XDG_DATA_HOME:-$HOME/.local/share}/applications
autostart=${XDG_CONFIG_HOME:-$HOME/.config}/autostart
case ${1-} in
    remove) rm -f "$apps/quorvel.desktop" "$autostart/quorvel.desktop"; exit 0 ;;
    '' | autostart) ;;
    *) echo "usage: sh $0 [autostart | remove]" >&2; exit 2 ;;
esac
dir=$(cd "$(dirname "$0")" && pwd -P)
case $0$dir in *'
'*) echo "$0: a desktop entry cannot name a path with a line break in it" >&2; exit 1 ;;
esac
# Exec quotes the path: inside the quotes " ` $ \ take a backslash, then every backslash is
# doubled as in any value, and % is doubled for the field codes. Icon doubles backslashes only.
QUORVEL_EXEC=$(printf '%s\n' "$dir/quorvel" | sed -e 's/[\\"`$]/\\&/g' -e 's/\\/\\\\/g' -e 's/%/%%/g')
QUORVEL_ICON=$(printf '%s\n' "$dir/quorvel.svg" | sed 's/\\/\\\\/g')
export QUORVEL_EXEC QUORVEL_ICON
write() { # TEMPLATE TARGET
    mkdir -p "$(dirname "$2")"
    # ENVIRON, not -v: awk would read the backslashes of a -v value as escapes.
    awk '/^Exec=/ { print "Exec=\"" ENVIRON["QUORVEL_EXEC"] "\""; next }
         /^Icon=/ { print "Icon=" ENVIRON["QUORVEL_ICON"]; next }
         { print }' "$dir/$1" >"$2.new"
    mv "$2.new" "$2"
    echo "wrote $2"
}
write quorvel.desktop "$apps/quorvel.desktop"
[ "${1-}" != autostart ] || write quorvel-autostart.desktop "$autostart/quorvel.desktop"
