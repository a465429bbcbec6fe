#!/bin/sh
# Backend of the test spooler's queues: keeps each job's document as it
# arrived. Device URI "capture:/folder"; the file is copied to
# /folder/job-<id>.pdf and appears there only when complete. Behind a
# driver the document is the driver's output (PCL, PostScript, raster),
# kept as /folder/job-<id>.prn instead. The job's
# copies and options, as the spooler hands them over, go to
# /folder/job-<id>.options first, one "name=value" a line.
if [ $# -eq 0 ]; then
    echo 'direct capture "Unknown" "Test capture"'
    exit 0
fi
folder=${DEVICE_URI#capture:}
[ -d "$folder" ] || { echo "ERROR: capture folder $folder missing" >&2; exit 1; }
tmp="$folder/.job-$1.part"
if [ $# -ge 6 ] && [ -n "$6" ]; then
    cp "$6" "$tmp" || exit 1
else
    cat > "$tmp" || exit 1
fi
chmod 644 "$tmp"
{
    echo "copies=$4"
    printf '%s\n' "$5" | tr ' ' '\n'
} > "$folder/job-$1.options"
ext=prn
[ "$(head -c 4 "$tmp")" = "%PDF" ] && ext=pdf
mv "$tmp" "$folder/job-$1.$ext"
exit 0
