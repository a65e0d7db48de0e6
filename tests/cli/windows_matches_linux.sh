#!/usr/bin/env bash
# The Windows command, run under Wine, gives the rows the Linux command gives for the same
# tree, named by arguments outside the ANSI code page. Only the listing order may differ (it
# is each file system's), so the rows are compared sorted, with Wine's drive Z:, its "\" and
# its line ends mapped back. The Windows build has no --xlsx: asked for one, it says so with
# status 2 and makes no file.
# Usage: windows_matches_linux.sh LINUX_PLOVANE WINDOWS_PLOVANE EMULATOR...
set -euo pipefail
linux_cli="$1"
windows_cli="$2"
shift 2
emulator=("$@")

tree="$(mktemp -d)"
trap 'rm -rf "$tree"' EXIT
cd "$tree"
mkdir -p "Папка/Sub" "Bé/Other" "Bé/Deep/er" "Папка/.config"
touch -d '2024-01-02 10:00:00' "Папка/a.txt" "Папка/.config/settings.ini"
touch -d '2024-01-02 09:00:00' "Bé/a.txt"
touch -d '2024-01-02 08:00:00' "Папка/Sub/c.txt" "Bé/Other/c.txt" "Bé/Deep/er/x.txt"
touch "Папка/b.txt" "Папка/~a.tmp" "Bé/d.txt" "Папка/Sub/При.txt" "Bé/settings.ini"

# Status 1: differences were found, as they are here.
rows_of() {
  local status=0 out
  out="$("$@" compare --tsv "Папка" "Bé/")" || status=$?
  if ((status != 1)); then
    printf 'error: %s ended with status %d\n' "$*" "$status" >&2
    exit 1
  fi
  printf '%s\n' "$out"
}

linux_rows="$(rows_of "$linux_cli" | sort)"
windows_rows="$(rows_of "${emulator[@]}" "$windows_cli" | sed 's/\r$//; s/^Z://; s/\tZ:/\t/g; s/\\/\//g' | sort)"

if [[ "$linux_rows" != "$windows_rows" ]]; then
  printf 'Linux rows:\n%s\nWindows rows:\n%s\n' "$linux_rows" "$windows_rows" >&2
  exit 1
fi
count="$(grep -c . <<<"$linux_rows")"
((count >= 6)) || {
  printf 'error: only %d rows; the tree should give at least 6:\n%s\n' "$count" "$linux_rows" >&2
  exit 1
}
status=0
"${emulator[@]}" "$windows_cli" compare --xlsx out.xlsx "Папка" "Bé" 2>xlsx.err >/dev/null || status=$?
if ((status != 2)) || [[ -e out.xlsx ]] || ! grep -q -- '--xlsx is not available' xlsx.err; then
  printf 'error: --xlsx on Windows gave status %d, file %s, message: %s\n' "$status" \
    "$([[ -e out.xlsx ]] && echo made || echo none)" "$(cat xlsx.err)" >&2
  exit 1
fi

printf '%s\n' "$windows_rows"
echo "The Windows command gave the Linux command's $count rows."
