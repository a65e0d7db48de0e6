#!/usr/bin/env bash
# The comparison on a simulated network share, run by hand (scripts/test runs --smoke): two
# synthetic trees behind latency-fs, a read-only FUSE layer that delays each file status and
# folder listing as a round trip to a file server would, and on those same mounts the wall
# times of "plovane compare --tsv" with its default reader threads, with --threads 1, and of
# "rsync -rn --itemize-changes A/ B/", with the ratios default/threads1 and default/rsync.
# Checks that the default run and the --threads 1 run write the same rows, byte for byte, and
# as many as the trees call for. Prints key: value lines, one block per delay.
#
#   bench/network_share_figures.sh [--plovane PATH] [--latency-fs PATH] [--files N]
#       [--delays "MICROSECONDS ..."] [--threads "N ..."] [--limit SECONDS] [--smoke]
#
# --threads times "plovane compare --tsv --threads N" too, for each N given. --limit bounds
# each timed command (default 1800 s). --smoke: 200 files a side, 200 µs, a 120 s limit.
# Needs /dev/fuse and the right to mount; without them it prints "skipped: REASON" and exits
# 0. It unmounts what it mounted however it ends, short of SIGKILL: a FUSE mount whose server
# has gone hangs every program that looks at it.
set -euo pipefail
export LC_ALL=C # EPOCHREALTIME's decimal point, and plain byte order
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

plovane="$root/build/src/cli/plovane"
latency_fs="$root/build/bench/latency-fs"
files=
delays=
extra_threads=
limit=
smoke=false

# usage STATUS
usage() {
  echo "usage: $0 [--plovane PATH] [--latency-fs PATH] [--files N] [--delays \"US ...\"]" \
    "[--threads \"N ...\"] [--limit SECONDS] [--smoke]"
  exit "$1"
}
bad_input() {
  echo "network_share_figures.sh: $*" >&2
  exit 2
}
fail() {
  echo "network_share_figures.sh: $*" >&2
  exit 1
}
skip() {
  echo "skipped: $*"
  exit 0
}

while (($#)); do
  case $1 in
    --smoke) smoke=true && shift && continue ;;
    -h | --help) usage 0 ;;
    --plovane | --latency-fs | --files | --delays | --threads | --limit)
      (($# >= 2)) || bad_input "$1 needs a value" ;;
    *) usage 2 >&2 ;;
  esac
  case $1 in
    --plovane) plovane=$2 ;;
    --latency-fs) latency_fs=$2 ;;
    --files) files=$2 ;;
    --delays) delays=$2 ;;
    --threads) extra_threads=$2 ;;
    --limit) limit=$2 ;;
  esac
  shift 2
done
if $smoke; then
  : "${files:=200}" "${delays:=200}" "${limit:=120}"
else
  : "${files:=10000}" "${delays:=1000}" "${limit:=1800}"
fi

# whole_number TEXT MIN MAX: decimal, without leading zeros, which bash would read as octal.
whole_number() { [[ $1 =~ ^(0|[1-9][0-9]{0,8})$ ]] && (($1 >= $2 && $1 <= $3)); }
whole_number "$files" 1 1000000 || bad_input "--files takes 1 to 1000000 files a side: $files"
whole_number "$limit" 1 86400 || bad_input "--limit takes 1 to 86400 seconds: $limit"
read -r -a delays <<<"$delays"
((${#delays[@]})) || bad_input "--delays names no delay"
for delay in "${delays[@]}"; do
  whole_number "$delay" 0 10000000 || bad_input "--delays takes microseconds, 0 to 10000000: $delay"
done
read -r -a extra_threads <<<"$extra_threads"
for threads in "${extra_threads[@]}"; do
  whole_number "$threads" 1 64 || bad_input "--threads takes 1 to 64 threads: $threads"
done
[[ -x $plovane ]] || bad_input "no plovane at $plovane: build it first, or give --plovane"
[[ -x $latency_fs ]] ||
  bad_input "no latency-fs at $latency_fs: build it first (it needs libfuse-dev), or give --latency-fs"
command -v rsync >/dev/null || bad_input "rsync is not installed (apt-get install rsync)"
[[ -c /dev/fuse ]] || skip "/dev/fuse is missing"

work="$(mktemp -d "${TMPDIR:-/tmp}/plovane-share-XXXXXX")"
trees="$work/trees"
mnt="$work/mnt"
fs_pid=
child=

# Whether the layer is mounted, from the kernel's table: this touches no mount, so a mount
# whose server hangs cannot hang it.
mounted() {
  local mount_point
  while read -r _ _ _ _ mount_point _; do
    [[ $mount_point == "$mnt" ]] && return 0
  done </proc/self/mountinfo
  return 1
}

# server_gone TENTHS: whether the layer's server ends within that many tenths of a second.
server_gone() {
  local tick
  for ((tick = 0; tick < $1; tick++)); do
    kill -0 "$fs_pid" 2>/dev/null || return 0
    sleep 0.1
  done
  ! kill -0 "$fs_pid" 2>/dev/null
}

# Ends the layer's server: fusermount first, a lazy unmount if the mount is busy or its server
# stuck, then a signal to the server, which unmounts too (its timeout forwards the signal, and
# kills the server 5 s later if it has not ended).
unmount_layer() {
  [[ -n $fs_pid ]] || return 0
  if mounted; then
    timeout 20 fusermount -u "$mnt" 2>/dev/null || timeout 20 umount -l "$mnt" 2>/dev/null ||
      echo "warning: could not unmount $mnt; ending its server" >&2
  fi
  if ! server_gone 100; then
    kill -TERM "$fs_pid" 2>/dev/null || true
    server_gone 100 || echo "warning: the server of $mnt (process $fs_pid) does not end" >&2
  fi
  wait "$fs_pid" 2>/dev/null || true
  fs_pid=
  # A server that was killed leaves its mount behind, dead.
  if mounted; then timeout 20 umount -l "$mnt" 2>/dev/null || true; fi
}

# Ends the timed command, if one runs.
end_child() {
  if [[ -n $child ]]; then kill -TERM "$child" 2>/dev/null || true; fi
}

# shellcheck disable=SC2317  # run by the traps
cleanup() {
  set +e # a failing step must not cut the rest short
  end_child
  unmount_layer
  # Never a recursive removal through a mount.
  if mounted; then
    echo "warning: $mnt is still mounted; left $work in place" >&2
  else
    rm -rf --one-file-system -- "$work"
  fi
}
# shellcheck disable=SC2317
interrupted() {
  end_child
  exit "$1"
}
trap cleanup EXIT
trap 'interrupted 129' HUP
trap 'interrupted 130' INT
trap 'interrupted 143' TERM

[[ $work != *[[:space:]\\]* ]] || bad_input "the temporary folder's path holds a blank or a backslash: $work"

# Trees of three levels, root, 10 folders and 100 sub-folders, the files in the sub-folders.
# Per 20 files of a side: one name on each side only (a... on the left, b... on the right),
# two same-named pairs whose right file is an hour newer, and 17 pairs with equal times.
# Sets expected_rows.
make_trees() {
  local per_folder=$(((files + 99) / 100)) folders=() i
  for ((i = 0; i < 100; i++)); do
    folders+=("$trees/left/d$((i / 10))/d$((i % 10))" "$trees/right/d$((i / 10))/d$((i % 10))")
  done
  timeout 60 mkdir -p -- "${folders[@]}" "$mnt"
  local older=() newer=() folder name
  expected_rows=0
  for ((i = 0; i < files; i++)); do
    folder="d$((i / per_folder / 10))/d$((i / per_folder % 10))"
    printf -v name 'f%07d.txt' "$i"
    case $((i % 20)) in
      0)
        older+=("$trees/left/$folder/a$name" "$trees/right/$folder/b$name")
        ((expected_rows += 2))
        ;;
      1 | 2)
        older+=("$trees/left/$folder/$name")
        newer+=("$trees/right/$folder/$name")
        ((expected_rows += 1))
        ;;
      *) older+=("$trees/left/$folder/$name" "$trees/right/$folder/$name") ;;
    esac
  done
  # touch makes the files with their times; xargs keeps each command line short enough.
  printf '%s\0' "${older[@]}" | timeout 300 xargs -0 touch -d @1600000000 --
  ((${#newer[@]} == 0)) || printf '%s\0' "${newer[@]}" | timeout 300 xargs -0 touch -d @1600003600 --
}

# mount_layer DELAY_US: the layer over the trees at $mnt, its server in the foreground of a
# background job, so that this script owns it and ends it.
mount_layer() {
  local log="$work/latency-fs.log" tick
  # Long enough for every timed command of one delay.
  local server_limit=$(((3 + ${#extra_threads[@]}) * limit + 120))
  timeout -k 5 "$server_limit" "$latency_fs" --delay-us "$1" "$trees" "$mnt" -f >"$log" 2>&1 &
  fs_pid=$!
  for ((tick = 0; tick < 200; tick++)); do
    mounted && return 0
    kill -0 "$fs_pid" 2>/dev/null || break
    sleep 0.05
  done
  unmount_layer
  if grep -qiE 'permission denied|not permitted' "$log"; then
    skip "mounting FUSE is not permitted here: $(head -n 1 "$log")"
  fi
  fail "latency-fs did not mount $mnt:"$'\n'"$(cat "$log")"
}

# run_timed OUT COMMAND...: runs COMMAND under the limit, standard output to OUT, and sets
# elapsed_us. A background job, so that a signal ends it at once.
run_timed() {
  local out=$1 start status=0
  shift
  start=${EPOCHREALTIME//[!0-9]/}
  timeout "$limit" "$@" >"$out" 2>"$work/stderr" &
  child=$!
  wait "$child" || status=$?
  child=
  elapsed_us=$((${EPOCHREALTIME//[!0-9]/} - start))
  ((status != 124)) || fail "$* took longer than $limit s (--limit)"
  return "$status"
}

# compare_run OUT [OPTIONS...]: plovane compare --tsv on the mounts; 1 means rows were found.
compare_run() {
  local out=$1 status=0
  shift
  run_timed "$out" "$plovane" compare --tsv -q "$@" "$mnt/left" "$mnt/right" || status=$?
  ((status <= 1)) ||
    fail "plovane compare --tsv${*:+ $*} ended with $status:"$'\n'"$(head -n 20 "$work/stderr")"
}

seconds() { printf '%d.%03d' $(($1 / 1000000)) $(($1 / 1000 % 1000)); }
ratio() {
  local hundredths=$((($1 * 100 + $2 / 2) / ($2 > 0 ? $2 : 1)))
  printf '%d.%02d' $((hundredths / 100)) $((hundredths % 100))
}

# same_rows A B: byte for byte.
same_rows() {
  timeout 60 cmp -s -- "$1" "$2" ||
    fail "$(basename "$1") and $(basename "$2") hold different rows:"$'\n'"$(timeout 60 diff -- "$1" "$2" | head -n 20)"
}

# as_many_rows_as_planned TSV: one row a line, names having no line breaks here.
as_many_rows_as_planned() {
  local rows
  rows=$(timeout 60 wc -l <"$1")
  ((rows == expected_rows)) || fail "$rows rows where the trees call for $expected_rows"
}

measure() {
  local delay=$1 default_us threads1_us rsync_us threads
  mount_layer "$delay"
  echo "delay_us: $delay"
  compare_run "$work/default.tsv"
  default_us=$elapsed_us
  compare_run "$work/threads1.tsv" --threads 1
  threads1_us=$elapsed_us
  run_timed "$work/rsync.txt" rsync -rn --itemize-changes "$mnt/left/" "$mnt/right/" ||
    fail "rsync failed:"$'\n'"$(head -n 20 "$work/stderr")"
  rsync_us=$elapsed_us
  echo "default_seconds: $(seconds "$default_us")"
  echo "threads1_seconds: $(seconds "$threads1_us")"
  echo "rsync_seconds: $(seconds "$rsync_us")"
  for threads in "${extra_threads[@]}"; do
    compare_run "$work/threads$threads.tsv" --threads "$threads"
    echo "threads${threads}_seconds: $(seconds "$elapsed_us")"
    same_rows "$work/default.tsv" "$work/threads$threads.tsv"
  done
  echo "default_vs_threads1_ratio: $(ratio "$default_us" "$threads1_us")"
  echo "default_vs_rsync_ratio: $(ratio "$default_us" "$rsync_us")"
  same_rows "$work/default.tsv" "$work/threads1.tsv"
  as_many_rows_as_planned "$work/default.tsv"
  echo "check: ok"
  unmount_layer
}

make_trees
echo "files_per_side: $files"
echo "folders_per_side: 111"
echo "rows: $expected_rows"
for delay in "${delays[@]}"; do measure "$delay"; done
