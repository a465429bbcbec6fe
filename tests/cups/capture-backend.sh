#!/bin/sh
# Backend of the test spooler's queues: keeps each job's document as it
# arrived. Device URI "capture:/folder"; the file is copied to
# /folder/job-<id>.pdf and appears there only when complete.
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
mv "$tmp" "$folder/job-$1.pdf"
exit 0
