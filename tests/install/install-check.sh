#!/usr/bin/env bash
# Installs the built program the way a clinic does and checks the program
# folder it makes:
#
#   install-check.sh CMAKE BUILD_DIR SOURCE_DIR WORK_DIR
#
# 1. a fresh install holds the program, its menu entry and font file, and the
#    sample data byte for byte;
# 2. installing again over a folder whose data the clinic has changed replaces
#    the program but keeps yakujo.txt, sorbenk.ini and photos/ as they are;
# 3. the menu entry names the folder it was installed to, also when the path
#    has a blank in it or the install is staged with DESTDIR, and passes
#    desktop-file-validate where that tool is installed;
# 4. a shared folder such as /usr/local is refused as the program folder;
# 5. the font file makes fontconfig answer the Windows face names with the
#    IPA P fonts, where fc-match and those fonts are installed.
set -u

cmake=$1
build=$2
source=$3
work=$4

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
note() { echo "-- $*"; }

install_into() {
    # install_into PREFIX [DESTDIR]
    local log="$work/install.log"
    if [ -n "${2:-}" ]; then
        DESTDIR=$2 "$cmake" --install "$build" --prefix "$1" >"$log" 2>&1
    else
        "$cmake" --install "$build" --prefix "$1" >"$log" 2>&1
    fi
    local rc=$?
    if [ $rc -ne 0 ]; then
        cat "$log" >&2
        echo "FAIL: cmake --install into $1 ended with $rc" >&2
        exit 1
    fi
}

same_file() {
    # same_file EXPECTED ACTUAL WHAT
    if [ ! -f "$2" ]; then
        fail "$3: $2 is missing"
    elif ! cmp -s "$1" "$2"; then
        fail "$3: $2 differs from $1"
    fi
}

desktop_value() {
    # desktop_value FILE KEY: the value of KEY in the [Desktop Entry] group
    sed -n "s/^$2=//p" "$1" | head -n 1
}

check_desktop() {
    # check_desktop FILE FOLDER EXPECTED_EXEC
    local file=$1 folder=$2 exec=$3
    [ -f "$file" ] || { fail "no menu entry $file"; return; }
    [ "$(head -n 1 "$file")" = "[Desktop Entry]" ] || fail "$file: first line is not [Desktop Entry]"
    [ "$(desktop_value "$file" Type)" = "Application" ] || fail "$file: Type"
    [ "$(desktop_value "$file" Name)" = "薬剤情報提供書" ] || fail "$file: Name is '$(desktop_value "$file" Name)'"
    [ "$(desktop_value "$file" Exec)" = "$exec" ] || fail "$file: Exec is '$(desktop_value "$file" Exec)', expected '$exec'"
    [ "$(desktop_value "$file" Path)" = "$folder" ] || fail "$file: Path is '$(desktop_value "$file" Path)', expected '$folder'"
    [ "$(desktop_value "$file" Terminal)" = "false" ] || fail "$file: Terminal"
    [ "$(desktop_value "$file" Categories)" = "Office;MedicalSoftware;" ] || fail "$file: Categories"
    [ "$(desktop_value "$file" Icon)" = "$folder/dorimek.svg" ] || fail "$file: Icon"
    if command -v desktop-file-validate >/dev/null 2>&1; then
        local out
        local rc
        out=$(desktop-file-validate "$file" 2>&1)
        rc=$?
        # Hints are advice; errors and warnings are not tolerated.
        if [ $rc -ne 0 ] || printf '%s\n' "$out" | grep -Eq 'error:|warning:'; then
            fail "desktop-file-validate $file: $out"
        fi
    else
        note "desktop-file-validate not installed (package desktop-file-utils): menu entry syntax not validated"
    fi
}

rm -rf "$work"
mkdir -p "$work" || exit 1
samples="$source/samples"

# ---------------------------------------------------------------- fresh install
folder="$work/opt/dorimek"
install_into "$folder"

[ -x "$folder/dorimek" ] || fail "the program $folder/dorimek is missing or not executable"
if command -v ldd >/dev/null 2>&1 && ldd "$folder/dorimek" 2>/dev/null | grep -q "not found"; then
    fail "the installed program misses libraries: $(ldd "$folder/dorimek" | grep 'not found')"
fi
[ -f "$folder/dorimek.svg" ] || fail "icon dorimek.svg missing"
[ -f "$folder/fonts/60-dorimek-fonts.conf" ] || fail "font file fonts/60-dorimek-fonts.conf missing"
(cd "$samples" && find . -type f | sort) >"$work/samples.list"
[ -s "$work/samples.list" ] || fail "no sample data found in $samples"
while read -r f; do
    same_file "$samples/$f" "$folder/$f" "sample data"
done <"$work/samples.list"
for f in yakujo.txt sorbenk.ini qev/rp.csv; do
    [ -f "$folder/$f" ] || fail "fresh install lacks $f"
done
[ -d "$folder/photos" ] || fail "fresh install lacks photos/"
check_desktop "$folder/dorimek.desktop" "$folder" "$folder/dorimek"

# ---------------------------------------------------------------- upgrade over the clinic's data
printf 'clinic-edited\r\n' >>"$folder/yakujo.txt"
cp "$folder/yakujo.txt" "$work/yakujo.expected"
printf 'prindex=2\r\nprinter=\r\nqevpath=/srv/qev/\r\nclinic=clinic\r\ntel=1\r\nprev=0\r\nstyle=1\r\n' \
    >"$folder/sorbenk.ini"
cp "$folder/sorbenk.ini" "$work/sorbenk.expected"
first_photo=$(cd "$folder/photos" && ls | head -n 1)
second_photo=$(cd "$folder/photos" && ls | sed -n 2p)
rm -f "$folder/photos/$first_photo"                 # the clinic deleted a demo photo
printf 'clinic photo' >"$folder/photos/$second_photo"  # ... replaced another
printf 'own' >"$folder/photos/own.jpg"                 # ... and added its own
rm -f "$folder/qev/rp.csv"
printf 'old program' >"$folder/dorimek"

install_into "$folder"

same_file "$work/yakujo.expected" "$folder/yakujo.txt" "edited yakujo.txt after a second install"
same_file "$work/sorbenk.expected" "$folder/sorbenk.ini" "edited sorbenk.ini after a second install"
[ ! -e "$folder/photos/$first_photo" ] || fail "a deleted demo photo came back: photos/$first_photo"
[ "$(cat "$folder/photos/$second_photo")" = "clinic photo" ] || fail "a clinic photo was overwritten: photos/$second_photo"
[ "$(cat "$folder/photos/own.jpg" 2>/dev/null)" = "own" ] || fail "the clinic's own photo is gone"
same_file "$samples/qev/rp.csv" "$folder/qev/rp.csv" "an absent sample file is copied again"
[ "$(head -c 11 "$folder/dorimek" | tr -d '\000')" != "old program" ] || fail "the program was not replaced on upgrade"
[ -x "$folder/dorimek" ] || fail "the upgraded program is not executable"
grep -q "Keeping existing: .*yakujo.txt" "$work/install.log" || fail "the install log doesn't say yakujo.txt was kept"

# ---------------------------------------------------------------- a folder with a blank and kanji
spaced="$work/診療所 プログラム/dorimek"
install_into "$spaced"
[ -x "$spaced/dorimek" ] || fail "no program in a folder with a blank"
check_desktop "$spaced/dorimek.desktop" "$spaced" "\"$spaced/dorimek\""

# ---------------------------------------------------------------- staged with DESTDIR
install_into /opt/dorimek-staged "$work/stage"
[ -x "$work/stage/opt/dorimek-staged/dorimek" ] || fail "DESTDIR install put no program under the stage"
[ -f "$work/stage/opt/dorimek-staged/yakujo.txt" ] || fail "DESTDIR install put no yakujo.txt under the stage"
check_desktop "$work/stage/opt/dorimek-staged/dorimek.desktop" /opt/dorimek-staged /opt/dorimek-staged/dorimek

# ---------------------------------------------------------------- a shared system folder is refused
# Staged, so that nothing could reach the real /usr/local even if the refusal failed.
if DESTDIR="$work/guard" "$cmake" --install "$build" --prefix /usr/local >"$work/guard.log" 2>&1; then
    fail "installing into /usr/local itself was not refused"
fi
[ ! -e "$work/guard/usr/local/dorimek" ] || fail "a refused install still copied the program"
grep -q "program folder of its own" "$work/guard.log" || fail "the refusal doesn't say why: $(cat "$work/guard.log")"

# ---------------------------------------------------------------- font mapping
conf="$folder/fonts/60-dorimek-fonts.conf"
if command -v xmllint >/dev/null 2>&1; then
    xmllint --noout "$conf" || fail "$conf is not well-formed XML"
fi
if command -v fc-match >/dev/null 2>&1 && fc-list 2>/dev/null | grep -q "IPAPGothic" &&
    fc-list 2>/dev/null | grep -q "IPAPMincho"; then
    # Only the font folders and our file: nothing else may supply the alias.
    cat >"$work/fonts.conf" <<CONF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>/usr/share/fonts</dir>
  <cachedir>$work/fontcache</cachedir>
  <include>$conf</include>
</fontconfig>
CONF
    gothic=$(FONTCONFIG_FILE="$work/fonts.conf" fc-match -f '%{family}' "ＭＳ Ｐゴシック" 2>/dev/null)
    mincho=$(FONTCONFIG_FILE="$work/fonts.conf" fc-match -f '%{family}' "ＭＳ Ｐ明朝" 2>/dev/null)
    case "$gothic" in *IPAPGothic*) ;; *) fail "ＭＳ Ｐゴシック matches '$gothic', not IPAPGothic" ;; esac
    case "$mincho" in *IPAPMincho*) ;; *) fail "ＭＳ Ｐ明朝 matches '$mincho', not IPAPMincho" ;; esac
else
    note "fc-match or the IPA P fonts not installed: font aliases not checked"
fi

if [ $failures -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "program folder install: all checks passed"
