#!/bin/bash
# Reads a compiled help file back through its own directory and checks that
# the contents, the index and every link of every page lead to a page or
# file inside it, that every page is in the contents, and that the file
# opens on a page it holds.
#
#   check_help_file.sh FILE.chm
#   check_help_file.sh --self-test HELP_SOURCE_FOLDER
#     compiles a copy with a dead link and a contents entry to a missing page
#     and passes only when the check finds both.
set -uo pipefail

check() { # chm
  local chm=$1 work faults=0
  work=$(mktemp -d)
  trap 'rm -rf "$work"' RETURN
  if ! extract_chmLib "$chm" "$work" >/dev/null || [ ! -f "$work/#SYSTEM" ]; then
    echo "FAULT: $chm cannot be read as a compiled help file"
    return 1
  fi
  fault() { echo "FAULT: $*"; faults=$((faults + 1)); }
  # The header names the contents file and the default page.
  local system contents
  system=$(tr -c '[:print:]' '\n' <"$work/#SYSTEM")
  contents=$(grep -m1 -o '^[^ ]*\.hhc$' <<<"$system")
  [ -n "$contents" ] && [ -f "$work/$contents" ] || fault "no contents file in the header"
  grep -q '^index\.html$' <<<"$system" || fault "default page index.html is not in the header"
  [ -f "$work/index.html" ] || fault "default page index.html is missing"

  local sitemap target listed=""
  for sitemap in "$work"/*.hhc "$work"/*.hhk; do
    while read -r target; do
      listed+=" $target"
      [ -f "$work/$target" ] || fault "$(basename "$sitemap") lists missing page $target"
    done < <(grep -io 'name="Local" value="[^"]*"' "$sitemap" | sed 's/.*value="//; s/"$//')
  done
  local contentsCount
  contentsCount=$(grep -ic 'name="Local"' "$work/$contents" 2>/dev/null || echo 0)
  [ "$contentsCount" -ge 1 ] || fault "the contents list no page"

  local page link file anchor
  for page in "$work"/*.html; do
    grep -q "name=\"Local\" value=\"$(basename "$page")\"" "$work/$contents" ||
      fault "$(basename "$page") is not in the contents"
    while read -r link; do
      case "$link" in http:* | https:* | mailto:*) fault "$(basename "$page") links outside the file: $link"; continue ;; esac
      file=${link%%#*}
      anchor=${link#"$file"}
      [ -z "$file" ] && file=$(basename "$page")
      if [ ! -f "$work/$file" ]; then
        fault "$(basename "$page") links to missing $link"
      elif [ -n "$anchor" ] && ! grep -q "\(id\|name\)=\"${anchor#\#}\"" "$work/$file"; then
        fault "$(basename "$page") links to missing anchor $link"
      fi
    done < <(grep -o '\(href\|src\)="[^"]*"' "$page" | sed 's/^[a-z]*="//; s/"$//')
  done
  echo "$(basename "$chm"): $contentsCount contents entries, $(ls "$work"/*.html | wc -l) pages, $faults faults"
  [ "$faults" -eq 0 ]
}

if [ "${1:-}" = "--self-test" ]; then
  copy=$(mktemp -d)
  trap 'rm -rf "$copy"' EXIT
  cp "$2"/*.html "$2"/*.css "$2"/*.hh? "$copy"/
  sed -i 's|</body>|<a href="gone.html">gone</a></body>|' "$copy/fades.html"
  sed -i 's|value="saving.html"|value="lost.html"|' "$copy/toc.hhc"
  (cd "$copy" && chmcmd --verbosity 0 Tarvisk.hhp >/dev/null 2>&1)
  report=$(check "$copy/Tarvisk.chm")
  echo "$report"
  grep -q "fades.html links to missing gone.html" <<<"$report" &&
    grep -q "toc.hhc lists missing page lost.html" <<<"$report" &&
    grep -q "saving.html is not in the contents" <<<"$report"
  exit
fi
check "$1"
