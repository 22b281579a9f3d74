# Writes the pictures of the bundled sample boards and of the sample diagram
# (the tour's two boards) into docs/pictures: the graph text (.dot) and the
# SVG of each. Run in boardsh:
#   build/bin/boardsh docs/gen_pictures.tcl ?-check? docs/pictures
# With -check it writes nothing: it compares each graph text with the one in
# the folder, blanks aside, and exits 1 when one differs, is missing or is
# left over. The graph text holds everything a picture shows; the SVG is not
# compared, since Graphviz's output changes a little from version to version.

set check [expr {[lindex $argv 0] eq "-check"}]
set folder [lindex $argv end]
set source [file dirname [file dirname [file normalize [info script]]]]

proc objectList {collection} {
    set list {}
    foreach_in_collection object $collection { lappend list $object }
    return $list
}

# Every board of the repository: get_boards lists those of schema 2 and
# later, the older ones are reached through their board part.
proc sampleBoards {} {
    set boards [objectList [::board::get_boards]]
    set names [lmap board $boards { get_property NAME $board }]
    foreach_in_collection part [board_common::get_board_parts -quiet] {
        current_board_part -quiet [get_property NAME $part]
        set board [::board::current_board -quiet]
        if {[get_property NAME $board] ni $names} {
            lappend boards $board
            lappend names [get_property NAME $board]
        }
    }
    return $boards
}

# picture name -> {object options}
set pictures {}
foreach board [sampleBoards] {
    dict set pictures [get_property BOARD_NAME $board]_[get_property FILE_VERSION $board] [list $board {}]
}
set cobalt [index_collection [::board::get_boards acme.com:cobalt_x4:2.0] 0]
dict set pictures cobalt_x4_2.0_all [list $cobalt -all]
set diagram [::board::read_board_diagram -quiet [file join $source data diagrams cobalt_with_lumen board.xml]]
dict set pictures cobalt_with_lumen [list $diagram {}]

proc graphText {object options} {
    set file [file join [expr {[info exists ::env(TMPDIR)] ? $::env(TMPDIR) : "/tmp"}] zem_picture_[pid].dot]
    ::board::write_board_picture -quiet -of_objects $object {*}$options -file $file
    set channel [open $file rb]
    try { return [read $channel] } finally { close $channel; file delete $file }
}
proc blanksAside {text} { return [regsub -all {\s+} [string trim $text] " "] }

if {$check} {
    set problems {}
    dict for {name how} $pictures {
        set file [file join $folder $name.dot]
        if {![file exists $file]} {
            lappend problems "$file is missing"
            continue
        }
        set channel [open $file rb]
        set current [read $channel]
        close $channel
        if {[blanksAside $current] ne [blanksAside [graphText {*}$how]]} { lappend problems "$file is out of date" }
    }
    foreach file [glob -nocomplain -directory $folder *.dot *.svg] {
        if {![dict exists $pictures [file rootname [file tail $file]]]} { lappend problems "$file is left over" }
    }
    if {[llength $problems]} {
        puts stderr "[join $problems \n]\nrun build/bin/boardsh docs/gen_pictures.tcl $folder"
        exit 1
    }
    puts "$folder is up to date"
    exit 0
}

file mkdir $folder
foreach file [glob -nocomplain -directory $folder *.dot *.svg] { file delete $file }
dict for {name how} $pictures {
    lassign $how object options
    foreach format {dot svg} {
        ::board::write_board_picture -quiet -of_objects $object {*}$options -file [file join $folder $name.$format]
    }
}
puts "wrote [dict size $pictures] pictures to $folder"
