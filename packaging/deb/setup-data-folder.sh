#!/bin/sh
# setup-data-folder.sh FOLDER SAMPLES GROUP
#
# Makes FOLDER a data folder the members of GROUP can work in, and puts the
# sample data into it where the clinic has none yet. Run on every install and
# upgrade; it never replaces or changes a file that is already there.
#
# - FOLDER, photos/ and qev/ belong to GROUP and are group-writable with the
#   set-group-ID bit, so a file saved there by any member stays in GROUP and
#   the next member can replace it too.
# - yakujo.txt, sorbenk.ini and qev/rp.csv are copied from SAMPLES only where
#   the folder lacks them; photos/ only as a whole, when there is none.
set -eu
folder=$1
samples=$2
group=$3

shared_dir() {
    mkdir -p "$1"
    chgrp "$group" "$1"
    chmod 2775 "$1"
}

shared_dir "$folder"
if [ ! -e "$folder/photos" ] && [ ! -L "$folder/photos" ] && [ -d "$samples/photos" ]; then
    cp -R "$samples/photos" "$folder/photos"
    find "$folder/photos" -type f -exec chgrp "$group" {} + -exec chmod 0664 {} +
fi
[ -d "$folder/photos" ] && [ ! -L "$folder/photos" ] && shared_dir "$folder/photos"
shared_dir "$folder/qev"

for f in yakujo.txt sorbenk.ini qev/rp.csv; do
    if [ ! -e "$folder/$f" ] && [ ! -L "$folder/$f" ] && [ -f "$samples/$f" ]; then
        cp "$samples/$f" "$folder/$f"
        chgrp "$group" "$folder/$f"
        chmod 0664 "$folder/$f"
    fi
done
