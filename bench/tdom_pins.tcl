#!/usr/bin/env tclsh
# tdom comparator for bench/bench_part_pins.cpp: the same pin questions
# answered with XPath on the board file and pin file already parsed into DOMs
# (parsing is not timed).
#
#   tclsh bench/tdom_pins.tcl -board FILE -pinfile FILE ?-queries Q?
#
# -board    board.xml of the board whose FPGA has the pin file
# -pinfile  that FPGA's pin file
# -queries  how many times each whole-part question runs (default 20)
#
# One line per question, with the seconds per query (per pin for ports_per_pin):
#   tdom all_pins pins=<n> seconds_per_query=<s>
#   tdom filtered_pins pins=<n> seconds_per_query=<s>
#   tdom pins_of_interfaces pins=<n> seconds_per_query=<s>
#   tdom pins_of_interfaces_indexed pins=<n> seconds_per_query=<s>
#   tdom ports_per_pin calls=<n> calls_with_ports=<m> seconds_per_call=<s>
package require Tcl 8.6
package require tdom

set usage "usage: tdom_pins.tcl -board FILE -pinfile FILE ?-queries Q?"
array set opt {-board "" -pinfile "" -queries 20}

proc fail {msg} {
    puts stderr "tdom_pins.tcl: $msg\n$::usage"
    exit 1
}

if {[llength $argv] % 2} { fail "option \"[lindex $argv end]\" needs a value" }
foreach {name value} $argv {
    if {![info exists opt($name)]} { fail "unknown option \"$name\", expected one of: [join [lsort [array names opt]] {, }]" }
    set opt($name) $value
}
foreach name {-board -pinfile} {
    if {![file isfile $opt($name)]} { fail "bad value \"$opt($name)\" for $name: no such file" }
}
if {![string is entier -strict $opt(-queries)] || $opt(-queries) < 1} { fail "bad value \"$opt(-queries)\" for -queries: expected an integer >= 1" }

proc parse {path} {
    set f [open $path rb]
    set doc [dom parse [read $f]]
    close $f
    return [$doc documentElement]
}
set board [parse $opt(-board)]
set part [parse $opt(-pinfile)]
set queries $opt(-queries)

# Seconds per run of script, run count times in the caller's scope.
proc timed {count script} {
    set t0 [clock microseconds]
    for {set i 0} {$i < $count} {incr i} { uplevel 1 $script }
    return [format %.9f [expr {([clock microseconds] - $t0) / 1e6 / $count}]]
}

set interfacesPath {/board/components/component[@type='fpga']/interfaces/interface}

# 1. every pin of the part
set seconds [timed $queries { set pins [$part selectNodes /part_info/pins/pin] }]
puts "tdom all_pins pins=[llength $pins] seconds_per_query=$seconds"

# 2. the pins of one IO standard whose ball starts with A
set seconds [timed $queries {
    set filtered [$part selectNodes {/part_info/pins/pin[@iostandard='LVCMOS33' and starts-with(@loc,'A')]}]
}]
puts "tdom filtered_pins pins=[llength $filtered] seconds_per_query=$seconds"

# 3. the pins of every interface of the part: each pin map's pin looked up by name
set seconds [timed $queries {
    set found {}
    foreach interface [$board selectNodes $interfacesPath] {
        foreach pinMap [$interface selectNodes port_maps/port_map/pin_maps/pin_map] {
            lappend found {*}[$part selectNodes "/part_info/pins/pin\[@name='[$pinMap getAttribute component_pin]'\]"]
        }
    }
}]
puts "tdom pins_of_interfaces pins=[llength $found] seconds_per_query=$seconds"

# The same with the pins indexed by name in a Tcl dict first (built once, not timed):
# what a script writer would do after finding the XPath lookups slow.
set byName [dict create]
foreach pin $pins { dict set byName [$pin getAttribute name] $pin }
set seconds [timed $queries {
    set found {}
    foreach interface [$board selectNodes $interfacesPath] {
        foreach pinMap [$interface selectNodes port_maps/port_map/pin_maps/pin_map] {
            set name [$pinMap getAttribute component_pin]
            if {[dict exists $byName $name]} { lappend found [dict get $byName $name] }
        }
    }
}]
puts "tdom pins_of_interfaces_indexed pins=[llength $found] seconds_per_query=$seconds"

# 4. the interface ports that use each pin, one query per pin
set withPorts 0
set t0 [clock microseconds]
foreach pin $pins {
    set name [$pin getAttribute name]
    set ports [$board selectNodes "$interfacesPath/port_maps/port_map\[pin_maps/pin_map/@component_pin='$name'\]"]
    if {[llength $ports]} { incr withPorts }
}
set seconds [format %.9f [expr {([clock microseconds] - $t0) / 1e6 / [llength $pins]}]]
puts "tdom ports_per_pin calls=[llength $pins] calls_with_ports=$withPorts seconds_per_call=$seconds"
