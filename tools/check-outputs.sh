#!/bin/sh
# Writes what --check prints (text, JSON and the summary, with the exit code) for a set of feed
# files into a folder, so a change to the check can be compared byte for byte with the output of
# the binary before it:
#
#   tools/check-outputs.sh BINARY OUTDIR FILE...
#   tools/check-outputs.sh build/app/TolvaneRssEditor /tmp/before bench/data/feed-10k.xml ../shared/feeds/*.xml
#   ... build the change, run it again into /tmp/after ...
#   diff -r /tmp/before /tmp/after && echo same
set -u
if [ $# -lt 3 ]; then
    echo "usage: $0 BINARY OUTDIR FILE..." >&2
    exit 2
fi
binary=$1 out=$2
shift 2
mkdir -p "$out"
run() {
    name=$1
    shift
    QT_QPA_PLATFORM=offscreen "$binary" --check "$@" >"$out/$name" 2>&1
    echo "exit $?" >>"$out/$name"
}
run text "$@"
run json --format=json "$@"
run summary --summary "$@"
run summary-json --summary --format=json "$@"
