#!/usr/bin/env bash
# What a Debian desktop and shell get from the installed ecuprobe package; run by
# scripts/package-check.sh between the package's install and its removal. The
# desktop entry and the AppStream metainfo validate; the saved files are known by
# their types, which a double-click opens in the window; the udev rule and the
# manual's doc-base entry are where the system looks for them; every manual page
# has its exit statuses and examples and fits 80 columns; and TAB completes
# ecuprobe-cli with bash-completion loaded and without it, printing no error.
set -euo pipefail

app_id=io.github.ecuprobe.ecuprobe
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "installed-package-check: $*" >&2
  exit 1
}

echo "== desktop entry and AppStream metainfo"
desktop-file-validate "/usr/share/applications/$app_id.desktop"
appstreamcli validate --pedantic --no-net "/usr/share/metainfo/$app_id.metainfo.xml"

echo "== saved file types"
for type in run dump drive-log; do
  LC_ALL=C gio mime "application/x-ecuprobe-$type" >"$work/opener"
  grep -q "^Default application .*: $app_id\.desktop$" "$work/opener" ||
    fail "a double-click on application/x-ecuprobe-$type does not open the window"
done
# A run by its name and its title; a packet capture that shares its .dmp stays one.
mkdir "$work/types"
printf '\r\n\r\n \t ****\r\n' | tee "$work/types/1700000000.dmp" >"$work/types/car.tdm"
printf '\xd4\xc3\xb2\xa1\x02\x00\x04\x00' >"$work/types/capture.dmp"
printf 'Time\tFREQ\n' >"$work/types/road.msl"
for file in 1700000000.dmp:application/x-ecuprobe-run capture.dmp:application/vnd.tcpdump.pcap \
  car.tdm:application/x-ecuprobe-dump road.msl:application/x-ecuprobe-drive-log; do
  LC_ALL=C gio info -a standard::content-type "$work/types/${file%%:*}" >"$work/type"
  grep -q ": ${file#*:}$" "$work/type" ||
    fail "${file%%:*} is not taken for ${file#*:}"
done

echo "== udev rule and doc-base"
rule=/usr/lib/udev/rules.d/99-ecuprobe-ftdi-latency.rules
grep -q 'DRIVERS=="ftdi_sio", ATTR{device/latency_timer}="1"' "$rule" || fail "no latency rule in $rule"
grep -qx 'Index: /usr/share/doc/ecuprobe/manual.html' /usr/share/doc-base/ecuprobe-manual

echo "== manual pages at 80 columns"
# Each page as man finds it, formatted afresh: man-db's cache of formatted pages
# may hold an earlier build of the same version with the same file times.
for program in ecuprobe ecuprobe-cli ecu-sim; do
  page=$(man -w "$program")
  [ "$page" = "/usr/share/man/man1/$program.1.gz" ] || fail "man $program finds $page"
  MANWIDTH=80 man -P cat -l "$page" >"$work/page" 2>"$work/page.err"
  [ ! -s "$work/page.err" ] || fail "man $program: $(cat "$work/page.err")"
  for section in 'EXIT STATUS' EXAMPLES; do
    grep -qx "$section" "$work/page" || fail "man $program has no $section"
  done
  if LC_ALL=C.UTF-8 grep -n '.\{81\}' "$work/page"; then
    fail "man $program has the lines above wider than 80 columns"
  fi
done

# The words TAB offers after $2, as bash asks the completion function for them:
# with the bash-completion package ($1 = with), which loads the function on the
# first TAB, or without it, from a shell that sources the file itself.
complete_line() {
  bash --norc --noprofile -c '
    if [ "$1" = with ]; then
      source /usr/share/bash-completion/bash_completion
      _completion_loader ecuprobe-cli
    else
      source /usr/share/bash-completion/completions/ecuprobe-cli
    fi
    function=$(complete -p ecuprobe-cli | sed -n "s/.* -F \([^ ]*\) .*/\1/p")
    line=$2
    read -ra COMP_WORDS <<<"$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$line
    COMP_POINT=${#line}
    "$function" ecuprobe-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf "%s\n" "${COMPREPLY[@]}"' completion "$1" "$2" 2>"$work/completion.err"
  [ ! -s "$work/completion.err" ] ||
    fail "TAB after '$2' ($1 bash-completion): $(cat "$work/completion.err")"
}

# TAB after $1 offers each of the other words, with bash-completion and without.
expect_words() {
  local line=$1 with word
  shift
  for with in with without; do
    complete_line "$with" "$line" >"$work/offered"
    for word in "$@"; do
      grep -qxF -- "$word" "$work/offered" ||
        fail "TAB after '$line' ($with bash-completion) does not offer $word"
    done
  done
}

echo "== bash completion"
mkdir "$work/saved" && cd "$work/saved" && touch 1700000000.dmp
expect_words 'ecuprobe-cli ' connect live monitor show
expect_words 'ecuprobe-cli --' --port --simulate
expect_words 'ecuprobe-cli --port ' COM1 COM4
expect_words 'ecuprobe-cli --simulate ' runup coldstart
expect_words 'ecuprobe-cli test ' dynamic accel loss
expect_words 'ecuprobe-cli live --' --count --tsv
expect_words 'ecuprobe-cli show ' 1700000000.dmp
expect_words 'ecuprobe-cli log --out ' 1700000000.dmp
