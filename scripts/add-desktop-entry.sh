#!/bin/sh
# Adds Kaldrino to this user's applications menu. Run it from the unpacked
# folder, wherever that lies: the desktop entry beside it and the one in the
# menu then both start the program and show the icon of this folder.
set -eu

folder=$(cd "$(dirname "$0")" && pwd -P)
case $folder in
*'
'*)
  echo "add-desktop-entry: a folder whose name holds a line break cannot be named in a desktop entry" >&2
  exit 1
  ;;
esac
entry="$folder/kaldrino.desktop"
if [ ! -f "$entry" ]; then
  echo "add-desktop-entry: $entry is missing" >&2
  exit 1
fi

# Exec takes the path quoted: inside the quotes " ` $ and \ take a backslash
# and a % is doubled; the file's own escaping then doubles every backslash.
exec_value=$(printf '%s/kaldrino' "$folder" |
  sed -e 's/[\\"`$]/\\&/g' -e 's/%/%%/g' -e 's/\\/\\\\/g')
# Icon is a plain string: only the backslash is escaped.
icon_value=$(printf '%s/kaldrino.svg' "$folder" | sed -e 's/\\/\\\\/g')

rewritten=$(mktemp "$folder/.kaldrino.desktop.XXXXXX")
trap 'rm -f "$rewritten"' EXIT
while IFS= read -r line || [ -n "$line" ]; do
  case $line in
  Exec=*) printf 'Exec="%s"\n' "$exec_value" ;;
  Icon=*) printf 'Icon=%s\n' "$icon_value" ;;
  *) printf '%s\n' "$line" ;;
  esac
done <"$entry" >"$rewritten"
chmod 0644 "$rewritten"
mv "$rewritten" "$entry"
trap - EXIT

menu="${XDG_DATA_HOME:-$HOME/.local/share}/applications"
mkdir -p "$menu"
cp "$entry" "$menu/kaldrino.desktop"
echo "Kaldrino est ajouté au menu des applications ($menu/kaldrino.desktop)."
