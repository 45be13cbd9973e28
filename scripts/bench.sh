#!/usr/bin/env bash
# Builds the benchmarks in Release and prints a table of figures and ratios:
# the ISAM index beside its floor of plain reads and writes and beside
# SQLite doing the same work, and the browser's fill beside plain reads of
# the same records. Each benchmark runs REPETITIONS times (default 10), in
# random interleaving so that a busy machine weighs on all of them alike;
# the table gives the medians of the CPU time per operation (user and
# system time of the process, what a busy machine disturbs least). A second
# table gives the same ratios measured in pairs (blocks of the work and of
# its floor in turn, PAIRED_TIME seconds each, default 2; the median ratio of
# the pairs), which moves far less from run to run on a shared machine.
#
#   bash scripts/bench.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

build="${1:-build/bench}"
repetitions="${REPETITIONS:-10}"

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$jobs" --target isam_bench browser_bench >/dev/null

results="$(mktemp)"
paired="$(mktemp)"
trap 'rm -f "$results" "$paired"' EXIT
for bench in isam_bench browser_bench; do
  "$build/bench/$bench" --benchmark_filter=-Paired --benchmark_repetitions="$repetitions" \
    --benchmark_enable_random_interleaving=true --benchmark_min_time="${MIN_TIME:-0.2}" \
    --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null | grep '_median"' >>"$results"
  "$build/bench/$bench" --benchmark_filter=Paired --benchmark_min_time="${PAIRED_TIME:-2}" --benchmark_format=csv \
    2>/dev/null | grep '^"BM_Paired' >>"$paired"
done

# CSV: "name",iterations,real_time,cpu_time,time_unit,...
awk -F, '
  { gsub(/"/, "", $1); sub(/_median$/, "", $1); cpu[$1] = $4; wall[$1] = $3; unit[$1] = $5 }
  function us(name) { return unit[name] == "ms" ? cpu[name] * 1000 : unit[name] == "us" ? cpu[name] : cpu[name] / 1000 }
  function row(label, name, floor, what) {
    if (!(name in cpu)) return
    if (floor == "") printf "| %-34s | %10.2f | %-30s |\n", label, us(name), what
    else printf "| %-34s | %10.2f | %5.2fx %-24s |\n", label, us(name), us(name) / us(floor), what
  }
  END {
    printf "| %-34s | %10s | %-30s |\n", "Operation", "CPU us/op", "Ratio"
    printf "|%s|%s|%s|\n", "------------------------------------", "------------", "--------------------------------"
    row("Three plain node reads (floor)", "BM_ThreePlainReads", "", "")
    row("ISAM search, present key", "BM_Search", "BM_ThreePlainReads", "of the three-read floor")
    row("ISAM search, absent key", "BM_SearchAbsent", "BM_ThreePlainReads", "of the three-read floor")
    row("ISAM next key, random key", "BM_NextKey", "BM_ThreePlainReads", "of the three-read floor")
    row("Insert reads+writes, plain (floor)", "BM_InsertPlainReadsWrites", "", "")
    row("ISAM insert", "BM_Insert", "BM_InsertPlainReadsWrites", "of its plain reads+writes")
    row("ISAM next-key walk", "BM_NextKeyWalk", "", "")
    row("SQLite search, present key", "BM_SqliteSearch", "", "")
    row("SQLite search, absent key", "BM_SqliteSearchAbsent", "", "")
    row("SQLite insert", "BM_SqliteInsert", "", "")
    row("SQLite next-key walk", "BM_SqliteNextKeyWalk", "", "")
    row("Plain reads of 1,000 records", "BM_PlainRecordReads", "", "")
    row("Browser fill, 1,000 employees", "BM_BrowserFill", "BM_PlainRecordReads", "of the plain reads")
    print ""
    printf "| %-34s | %10s |\n", "ISAM against SQLite", "ISAM/SQLite"
    printf "|%s|%s|\n", "------------------------------------", "------------"
    split("Search SearchAbsent Insert NextKeyWalk", ops, " ")
    for (i = 1; i <= 4; i++) {
      isam = "BM_" ops[i]; sqlite = "BM_Sqlite" ops[i]
      if ((isam in cpu) && (sqlite in cpu)) printf "| %-34s | %9.2fx |\n", ops[i], us(isam) / us(sqlite)
    }
  }' "$results"

# The same ratios measured in pairs (bench/paired_ratio.h): CSV
# "name",...,"floor_us","ratio","work_us" as the last three fields.
awk -F, '
  BEGIN {
    label["BM_PairedSearch"] = "ISAM search, present key"; floor["BM_PairedSearch"] = "three plain node reads"
    label["BM_PairedSearchAbsent"] = "ISAM search, absent key"; floor["BM_PairedSearchAbsent"] = "three plain node reads"
    label["BM_PairedNextKey"] = "ISAM next key, random key"; floor["BM_PairedNextKey"] = "three plain node reads"
    label["BM_PairedInsert"] = "ISAM insert"; floor["BM_PairedInsert"] = "its plain reads+writes"
    label["BM_PairedBrowserFill"] = "Browser fill, 1,000 employees"; floor["BM_PairedBrowserFill"] = "plain reads of the records"
    print ""
    printf "| %-34s | %10s | %10s | %-28s |\n", "Measured in pairs (median ratio)", "Ratio", "Floor us", "Floor"
    printf "|%s|%s|%s|%s|\n", "------------------------------------", "------------", "------------", "------------------------------"
  }
  { gsub(/"/, "", $1); n = NF; printf "| %-34s | %9.2fx | %10.2f | %-28s |\n", label[$1], $(n - 1), $(n - 2), floor[$1] }
' "$paired"
