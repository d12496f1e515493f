#!/bin/sh
# mount|unmount FOLDER: a 2 MB file system for the disk-full cases. A marker
# file inside tells the tests that the mount took place; without it (no root,
# no tmpfs) they skip. Never fails, so a missing mount cannot fail the run.
action=$1
folder=$2
case $action in
mount)
    mkdir -p "$folder"
    umount "$folder" 2>/dev/null
    rm -f "$folder/mounted"
    if mount -t tmpfs -o size=2m tmpfs "$folder" 2>/dev/null; then
        touch "$folder/mounted"
    else
        echo "no small file system: mount failed (not root?)"
    fi
    ;;
unmount)
    umount "$folder" 2>/dev/null
    ;;
esac
exit 0
