# Run from an install prefix, in boardsh and in a plain tclsh: the package
# loads, its commands answer from the installed sample repository, and no
# file of the source or build folder is used. argv: prefix, then the folders
# that must not be used.
set prefix [lindex $argv 0]
set forbidden [lrange $argv 1 end]
package require zem::board
set boards [::board::get_boards]
if {[llength $boards] < 3} { error "expected the sample boards, got: $boards" }
current_board_part acme.com:cobalt_x4:part0:2.0
set name [get_property DISPLAY_NAME [::board::current_board]]
if {$name ne "Cobalt X4 evaluation board"} { error "unexpected board name: $name" }

# Pictures are drawn in process: SVG by the Graphviz code linked in, PNG by
# the renderer plugin Graphviz loads at run time.
if {[info exists env(ZEM_GRAPHVIZ)] && $env(ZEM_GRAPHVIZ) eq "ON"} {
    foreach {format signature} {svg "<?xml*<svg*" png "\x89PNG*"} {
        set file [::board::write_board_picture -file picture.$format]
        set channel [open $file rb]
        set bytes [read $channel]
        close $channel
        if {![string match $signature $bytes]} { error "$file is no $format picture" }
    }
}

set used [list [package ifneeded zem::board [package present zem::board]] {*}[info loaded]]
set maps [open /proc/self/maps]
lappend used [read $maps]
close $maps
set fromPrefix 0
foreach text $used {
    foreach folder $forbidden {
        if {[string first $folder $text] >= 0} { error "uses $folder: $text" }
    }
    if {[string first $prefix/lib/libzem_ $text] >= 0} { incr fromPrefix }
}
if {!$fromPrefix} { error "the libraries were not loaded from $prefix" }
puts "[llength $boards] boards, current board: $name"
