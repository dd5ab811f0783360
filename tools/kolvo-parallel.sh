#!/bin/bash
# Converts every input of a folder tree on several machines: GNU parallel
# hands each folder to one of the hosts it reaches (--sshlogin), and that
# host converts the folder's inputs with one batch run
# (kolvo --output-dir), on all its cores. The outputs land in the same
# tree under OUT_TREE: SRC_TREE/a/b/x.txt becomes OUT_TREE/a/b/x.EXT.
#
#   tools/kolvo-parallel.sh [-S HOSTS] [-p PATTERN] [-k KOLVO] FORMAT SRC_TREE OUT_TREE [SETTING...]
#
#   -S HOSTS    parallel's --sshlogin list: "host1,2/user@host2,:" (":" is
#               this machine; "2/" runs two folders at once there). Default ":".
#   -p PATTERN  which files are inputs (find -name), default '*.txt'
#   -k KOLVO    the program on the hosts, default kolvo (from their PATH)
#   SETTING...  kolvo's long options (--escape, --paper a4, --jobs N ...)
#
# Every host must see SRC_TREE and OUT_TREE under the same absolute paths
# (a shared file system such as NFS) and run a kolvo of the same version,
# since a batch's outputs are the bytes of its single runs. Each host's
# batch uses all its cores, so one folder per host at a time is right
# (parallel's -j 1 per host); a tree of one huge folder goes to one host:
# split it into folders first. The exit status is parallel's: the number of
# folders in which some input failed (each failure is named on standard
# error by the host's kolvo), 0 when none did.
set -euo pipefail

hosts=:
pattern='*.txt'
kolvo=kolvo
usage() {
  sed -n '8,14p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}
while getopts 'S:p:k:h' option; do
  case $option in
    S) hosts=$OPTARG ;;
    p) pattern=$OPTARG ;;
    k) kolvo=$OPTARG ;;
    *) usage ;;
  esac
done
shift $((OPTIND - 1))
[ $# -ge 3 ] || usage
format=$1 src=$2 out=$3
shift 3
command -v parallel >/dev/null || { echo "kolvo-parallel: GNU parallel is not installed" >&2; exit 2; }
[ -d "$src" ] || { echo "kolvo-parallel: $src is not a folder" >&2; exit 2; }
src=$(cd "$src" && pwd)
mkdir -p "$out"
out=$(cd "$out" && pwd)

# The command each host runs, its words quoted for the remote shell: go into
# the folder, make its output folder, convert its inputs in one batch.
# parallel puts the folder (relative to both trees) where {folder} stands,
# and quotes it; find's -exec has its own {}.
settings=
[ $# -gt 0 ] && settings=$(printf '%q ' "$@")
qsrc=$(printf '%q' "$src") qout=$(printf '%q' "$out")
remote="cd $qsrc/{folder} && mkdir -p $qout/{folder} && \
  find . -maxdepth 1 -type f -name $(printf '%q' "$pattern") \
  -exec $(printf '%q' "$kolvo") $settings--output-dir $qout/{folder} $(printf '%q' "$format") -- {} +"

# One folder per job, NUL-separated, relative to the tree: ".", "./a/b".
find "$src" -type f -name "$pattern" -printf '%h\0' | LC_ALL=C sort -zu |
  while IFS= read -r -d '' folder; do printf '.%s\0' "${folder#"$src"}"; done |
  parallel --will-cite -0 -j 1 -I '{folder}' --sshlogin "$hosts" "$remote"
