#!/usr/bin/env bash
# Runs the C++ board benchmarks and the tDOM comparator on one generated
# repository, in one run, and prints each pair with the ratio tDOM / ours
# (wall-clock time on both sides: tdom_load.tcl measures with clock microseconds).
#
#   bench/compare_tdom.sh ?-build DIR? ?-repo DIR?
#
# -build  build folder holding bin/bench_board_load, bin/bench_get_boards and bin/bench_part_pins
#         (default: build/ of the source tree)
# -repo   folder for the generated repository (default: $TMPDIR/zem_compare_tdom_repo);
#         gen_repo replaces it when an earlier gen_repo run made it
set -euo pipefail

bench_dir=$(cd "$(dirname "$0")" && pwd)
build="$bench_dir/../build"
repo="${TMPDIR:-/tmp}/zem_compare_tdom_repo"
usage="usage: compare_tdom.sh ?-build DIR? ?-repo DIR?"

fail() {
    echo "compare_tdom.sh: $1" >&2
    echo "$usage" >&2
    exit 1
}

while [ $# -gt 0 ]; do
    [ $# -ge 2 ] || fail "option \"$1\" needs a value"
    case "$1" in
        -build) build=$2 ;;
        -repo) repo=$2 ;;
        *) fail "unknown option \"$1\", expected one of: -build, -repo" ;;
    esac
    shift 2
done
for program in bench_board_load bench_get_boards bench_part_pins; do
    [ -x "$build/bin/$program" ] || fail "bad value \"$build\" for -build: no bin/$program (build the project first)"
done

tclsh "$bench_dir/gen_repo" -boards 1000 -components 20 -pins 1000 -bigpart 3000 -out "$repo" > /dev/null
# The 3,000-pin file, which bench_board_load also picks as the largest one.
big_pins=$(find "$repo" -name part0_pins.xml -printf '%s %p\n' | sort -n | tail -1 | cut -d' ' -f2-)
echo "repository: $repo"
echo "big pin file: $big_pins ($(grep -c '<pin ' "$big_pins") pins)"

ours=$(ZEM_BENCH_REPO=$repo "$build/bin/bench_board_load" --benchmark_color=false 2> /dev/null
       ZEM_BENCH_REPO=$repo "$build/bin/bench_get_boards" --benchmark_color=false 2> /dev/null
       ZEM_BENCH_REPO=$repo "$build/bin/bench_part_pins" --benchmark_color=false 2> /dev/null)
theirs=$(tclsh "$bench_dir/tdom_load.tcl" -repo "$repo" -pinfile "$big_pins"
         tclsh "$bench_dir/tdom_pins.tcl" -board "$(dirname "$big_pins")/board.xml" -pinfile "$big_pins")
echo "$ours" | grep '^BM_' | sed 's/^/  /'
echo "$theirs" | sed 's/^/  /'

# Seconds of one run of a benchmark from the console report: name, time, unit.
ours_seconds() {
    echo "$ours" | awk -v name="$1" '
        $1 == name || index($1, name "/") == 1 {
            scale["ns"] = 1e-9; scale["us"] = 1e-6; scale["ms"] = 1e-3; scale["s"] = 1
            printf "%.9f\n", $2 * scale[$3]; found = 1; exit
        }
        END { if (!found) exit 1 }' || fail "no result for $1 in the C++ benchmark output"
}

# The value of key=value in the tDOM line of the given measurement.
tdom_value() {
    echo "$theirs" | awk -v what="$1" -v key="$2" '
        $2 == what { for (i = 3; i <= NF; ++i) if (index($i, key "=") == 1) { print substr($i, length(key) + 2); found = 1 } }
        END { if (!found) exit 1 }' || fail "no $2 for $1 in the tDOM output"
}

echo
printf '%-34s %14s %14s %10s\n' "measurement" "ours (ms)" "tDOM (ms)" "tDOM/ours"
pair() {
    awk -v label="$1" -v ours="$2" -v tdom="$3" \
        'BEGIN { printf "%-34s %14.3f %14.3f %10.1f\n", label, ours * 1e3, tdom * 1e3, tdom / ours }'
}
pair "list 1,000 boards (cold)" "$(ours_seconds BM_ListRepositoryCold)" "$(tdom_value list_boards seconds)"
pair "load pins of the 3,000-pin part" "$(ours_seconds BM_LoadPinsOf3000PinPart)" "$(tdom_value load_pins seconds)"
pair "filter query, boards in memory" "$(ours_seconds BM_GetBoardsFilter)" "$(tdom_value query_boards seconds_per_query)"
# The pin questions on the 3,000-pin part, pins loaded, DOMs parsed (XPath).
pair "all 3,000 pins (collection)" "$(ours_seconds BM_PartPinsAll)" "$(tdom_value all_pins seconds_per_query)"
pair "all 3,000 pins (plain list)" "$(ours_seconds BM_PartPinsAllAsList)" "$(tdom_value all_pins seconds_per_query)"
pair "pins filtered by attributes" "$(ours_seconds BM_PartPinsFilter)" "$(tdom_value filtered_pins seconds_per_query)"
pair "pins of every interface" "$(ours_seconds BM_PartPinsOfEveryInterface)" "$(tdom_value pins_of_interfaces seconds_per_query)"
pair "  tDOM with a Tcl dict of pins" "$(ours_seconds BM_PartPinsOfEveryInterface)" "$(tdom_value pins_of_interfaces_indexed seconds_per_query)"
pair "interface ports of a pin, per call" "$(ours_seconds BM_InterfacePortsPerPin)" "$(tdom_value ports_per_pin seconds_per_call)"
printf '%-34s %14.3f\n' "floor: plain list of 3,000 strings" "$(awk -v s="$(ours_seconds BM_PlainListFloor)" 'BEGIN { print s * 1e3 }')"
