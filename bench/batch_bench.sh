#!/bin/sh
# kalvetra-render --batch: 1,000 captions of 1280x720 PNG in one style, drawn with -j 1 and
# -j 2 in turns, REPEAT times each; prints every run's wall time and the medians.
# Usage: bench/batch_bench.sh [build/bin/kalvetra-render] [REPEAT]
set -eu
render=$(realpath "${1:-build/bin/kalvetra-render}")
repeat=${2:-3}
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
texts="本日限り 大特価セール 新商品入荷 カルベトラ 字幕テスト 期間限定 お買い得 第一章 まもなく開店 ありがとう"
{
    echo "text,output"
    i=0
    while [ $i -lt 1000 ]; do
        set -- $texts
        shift $((i % 10))
        echo "\"$1 $i\",c$i.png"
        i=$((i + 1))
    done
} > "$work/captions.csv"
style="$here/data/styles/01 字幕 白フチ.ini"
median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
: > "$work/j1"; : > "$work/j2"
r=0
while [ $r -lt "$repeat" ]; do
    for j in 1 2; do
        rm -rf "$work/out"; mkdir "$work/out"
        start=$(date +%s.%N)
        (cd "$work/out" && "$render" --batch "$work/captions.csv" --settings "$style" --canvas 1280x720 -j $j 2>/dev/null) || echo "(some rows failed)"
        end=$(date +%s.%N)
        t=$(echo "$end - $start" | bc)
        echo "-j $j: $t s ($(ls "$work/out" | wc -l) files)"
        echo "$t" >> "$work/j$j"
    done
    r=$((r + 1))
done
m1=$(median < "$work/j1"); m2=$(median < "$work/j2")
echo "median -j 1: $m1 s, -j 2: $m2 s, ratio $(echo "scale=2; $m1 / $m2" | bc)"
