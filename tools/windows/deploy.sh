#!/usr/bin/env bash
# Gathers a program folder for Windows: the executable, every DLL it loads
# (found by walking the import tables), Qt's windows platform and style
# plugins and Qt's Japanese texts.
#   deploy.sh <dorimek.exe> <qt prefix> <stage folder>
set -euo pipefail
source "$(dirname "$0")/env.sh"

exe="$1" qt="$2" stage="$3"
rm -rf "$stage"
mkdir -p "$stage/platforms" "$stage/styles" "$stage/translations"
cp "$exe" "$stage/"
cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
for style in "$qt"/plugins/styles/*.dll; do [ -e "$style" ] && cp "$style" "$stage/styles/"; done

# Where the DLLs a file imports may come from; what none of these holds
# belongs to Windows itself.
gcc_dir="$(dirname "$("$WIN_TRIPLE-g++-posix" -print-libgcc-file-name)")"
search=("$qt/bin" "$gcc_dir" "/usr/$WIN_TRIPLE/lib")
find_dll() {
    local d
    for d in "${search[@]}"; do
        [ -f "$d/$1" ] && { echo "$d/$1"; return 0; }
    done
    return 0
}
queue=("$stage/dorimek.exe" "$stage/platforms/qwindows.dll" "$stage"/styles/*.dll)
declare -A seen=()
while [ ${#queue[@]} -gt 0 ]; do
    file="${queue[0]}"
    queue=("${queue[@]:1}")
    [ -e "$file" ] || continue
    while read -r dll; do
        key="${dll,,}"
        [ -n "${seen[$key]:-}" ] && continue
        seen[$key]=1
        src="$(find_dll "$dll")"
        [ -n "$src" ] || continue
        cp "$src" "$stage/$dll"
        queue+=("$stage/$dll")
    done < <("$WIN_TRIPLE-objdump" -p "$file" | sed -n 's/^\s*DLL Name: //p')
done
find "$stage" -name '*.dll' -o -name '*.exe' | xargs "$WIN_TRIPLE-strip" --strip-unneeded

# Qt's own dialogs and buttons in Japanese, found through qt.conf.
cp /usr/share/qt6/translations/qtbase_ja.qm "$stage/translations/"
printf '[Paths]\r\nPrefix=.\r\nPlugins=.\r\nTranslations=translations\r\n' >"$stage/qt.conf"
echo "==> program folder: $(du -sh "$stage" | cut -f1) in $stage"
