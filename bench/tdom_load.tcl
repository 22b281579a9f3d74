#!/usr/bin/env tclsh
# tdom comparator for the board repository benchmarks: the same work done with
# a general-purpose DOM in Tcl, to put the C++ figures in perspective.
#
#   tclsh bench/tdom_load.tcl ?-repo DIR? ?-pinfile FILE? ?-vendor V? ?-min_version R? ?-queries Q?
#
# -repo      repository made by bench/gen_repo (default: gen_repo's default folder)
# -pinfile   pin file to parse (default: the largest part0_pins.xml of the repository)
# -vendor    vendor of the query (default acme.com)
# -min_version  lowest file_version of the query (default 1.1)
# -queries   how many times the query runs (default 100)
#
# One line per measurement:
#   tdom list_boards N=<boards> seconds=<s>
#   tdom load_pins pins=<pins> bytes=<size> seconds=<s>
#   tdom query_boards N=<boards> vendor=<V> min_version=<R> matches=<m> queries=<Q> seconds_per_query=<s>
package require Tcl 8.6
package require tdom

set usage "usage: tdom_load.tcl ?-repo DIR? ?-pinfile FILE? ?-vendor V? ?-min_version R? ?-queries Q?"
set tmp [expr {[info exists env(TMPDIR)] ? $env(TMPDIR) : "/tmp"}]
array set opt [list -repo [file join $tmp zem_synthetic_repo] -pinfile "" -vendor acme.com -min_version 1.1 -queries 100]

proc fail {msg} {
    puts stderr "tdom_load.tcl: $msg\n$::usage"
    exit 1
}

if {[llength $argv] % 2} { fail "option \"[lindex $argv end]\" needs a value" }
foreach {name value} $argv {
    if {![info exists opt($name)]} { fail "unknown option \"$name\", expected one of: [join [lsort [array names opt]] {, }]" }
    set opt($name) $value
}
if {![file isdirectory $opt(-repo)]} { fail "bad value \"$opt(-repo)\" for -repo: not a folder (run bench/gen_repo first)" }
if {![string is entier -strict $opt(-queries)] || $opt(-queries) < 1} { fail "bad value \"$opt(-queries)\" for -queries: expected an integer >= 1" }
if {[catch {package vcompare $opt(-min_version) 0}]} { fail "bad value \"$opt(-min_version)\" for -min_version: expected a version such as 1.1" }

proc findFiles {dir name} {
    set found [glob -nocomplain -directory $dir -type f $name]
    foreach d [glob -nocomplain -directory $dir -type d *] {
        lappend found {*}[findFiles $d $name]
    }
    return $found
}

proc readFile {path} {
    set f [open $path rb]
    set data [read $f]
    close $f
    return $data
}

proc seconds {microseconds} { format %.6f [expr {$microseconds / 1e6}] }

# (a) list the repository: every board.xml parsed, identity read, pin files left alone.
set t0 [clock microseconds]
set roots {}
set names {}
foreach path [findFiles $opt(-repo) board.xml] {
    set root [[dom parse [readFile $path]] documentElement]
    lappend roots $root
    lappend names [$root getAttribute vendor]:[$root getAttribute name]:[[$root selectNodes file_version] text]
}
set names [lsort $names]
set listTime [expr {[clock microseconds] - $t0}]
puts "tdom list_boards N=[llength $roots] seconds=[seconds $listTime]"

# (b) one big pin file.
set pinFile $opt(-pinfile)
if {$pinFile eq ""} {
    set biggest -1
    foreach path [findFiles $opt(-repo) part0_pins.xml] {
        if {[file size $path] > $biggest} { set biggest [file size $path]; set pinFile $path }
    }
    if {$pinFile eq ""} { fail "no part0_pins.xml below \"$opt(-repo)\"" }
} elseif {![file isfile $pinFile]} {
    fail "bad value \"$pinFile\" for -pinfile: no such file"
}
set t0 [clock microseconds]
set pinDoc [dom parse [readFile $pinFile]]
set pins [[$pinDoc documentElement] selectNodes /part_info/pins/pin]
set pinTime [expr {[clock microseconds] - $t0}]
puts "tdom load_pins pins=[llength $pins] bytes=[file size $pinFile] seconds=[seconds $pinTime]"

# (c) vendor and minimum file version, on the DOMs already in memory.
proc queryBoards {roots vendor minVersion} {
    set hits {}
    foreach root $roots {
        if {[$root getAttribute vendor] ne $vendor} { continue }
        set version [[$root selectNodes file_version] text]
        # a version text that is not dotted numbers cannot be ordered: no match
        if {![catch {package vcompare $version $minVersion} order] && $order >= 0} { lappend hits $root }
    }
    return $hits
}
set t0 [clock microseconds]
for {set q 0} {$q < $opt(-queries)} {incr q} {
    set hits [queryBoards $roots $opt(-vendor) $opt(-min_version)]
}
set queryTime [expr {[clock microseconds] - $t0}]
puts "tdom query_boards N=[llength $roots] vendor=$opt(-vendor) min_version=$opt(-min_version) matches=[llength $hits] queries=$opt(-queries) seconds_per_query=[seconds [expr {$queryTime / double($opt(-queries))}]]"
