# A short tour of the board commands on the bundled sample repository.
# Run it with: scripts/tour

proc show {title script} {
    puts "\n% $script"
    set result [uplevel #0 $script]
    if {$result ne ""} { puts $result }
}

puts "Boards of the repository:"
show boards {get_boards}
show filter {get_boards -filter {VENDOR == acme.com && FILE_VERSION >= 1.1}}
show pattern {get_boards -regexp {.*kestrel.*}}
show select {current_board_part acme.com:cobalt_x4:part0:2.0}
show current {current_board}
show property {get_property DISPLAY_NAME [current_board]}
show report {report_property [current_board]}
show count {sizeof_collection [get_boards *acme*]}
show loop {set acme [get_boards *acme*]; puts "[llength $acme] names; the value is still the collection:"; foreach_in_collection board $acme { puts "  [get_property NAME $board] [get_property DISPLAY_NAME $board]" }}
show parts {board_common::get_board_parts}

puts "\nInside the current board:"
show components {get_board_components}
show disabled {get_board_components -all -filter {!IS_ENABLED}}
show buses {get_board_buses -of_objects [get_board_components *:J5:*] -filter {COMPONENT1 == part0}}
show nets {get_board_bus_nets -all -of_objects [get_board_buses part0_J5_spare]}
show pin {set net [get_board_bus_nets -all -of_objects [get_board_components *:J5:*] -filter {C2_PIN == J5_10}]}
show net {report_property $net}
show interfaces {get_board_component_interfaces -of_objects [current_board_part]}
show modes {get_board_component_modes -all -of_objects [current_board_part]}
show mode {get_property INTERFACES [get_board_component_modes user_io -of_objects [current_board_part]]}
show jumpers {get_board_jumpers}
show "jumper mode" {get_property DEFAULT_MODE [get_board_jumpers JP3]}
show parameters {get_board_parameters -filter {VALUE_TYPE == long}}
show "presets of user_leds" {::tesmar::board::get_board_presets -of_objects [get_board_component_interfaces -of_objects [current_board_part] user_leds]}
show "IPs preferred for uart" {get_property VLNV [get_board_ip_preferences -of_objects [get_board_component_interfaces -of_objects [current_board_part] uart]]}
show "J5 pins" {get_board_component_pins -of_objects [get_board_components *:J5:*]}
show presets {::tesmar::board::get_board_presets -ip acme.com:ip:gpio:1.0}
show "preset values" {get_property USER_PARAMETERS [::tesmar::board::get_board_presets -ip acme.com:ip:gpio:1.0]}
show "IPs for uart" {::tesmar::board::get_ip_associated_interfaces -filter {BOARD_INTERFACE == uart}}
show "LED pins" {get_property LOC [get_board_component_pins -of_objects [current_board_part] led*]}

puts "\nFrom the board part to its interfaces, pins and interface ports:"
show interfaces {get_board_part_interfaces}
show pins {foreach_in_collection pin [get_board_part_pins -of_objects [get_board_part_interfaces diff_clock]] { puts "[get_property NAME $pin]: LOC [get_property LOC $pin], IOSTANDARD [get_property IOSTANDARD $pin]" }}
show ports {get_board_interface_ports -of_objects [get_board_part_pins led3]}
show filter {get_board_part_pins -filter {IOSTANDARD == LVDS && LOC =~ A*}}
show usage {help get_boards}

puts "\nAn integrated board: the carrier board with the LED module on its J5 header:"
# The diagram's file goes to a folder of its own, removed at the end, also
# when a command fails on the way.
set dir [file join [expr {[info exists env(TMPDIR)] ? $env(TMPDIR) : "/tmp"}] zem_tour_[pid]]
file mkdir $dir
proc fileText {file} {
    set channel [open $file]
    try { return [string trimright [read $channel]] } finally { close $channel }
}
# The sample diagram sits beside the sample repository (data/ in the source
# tree, share/zem/ installed), four folders above a board's own folder.
proc sampleFile {args} {
    set boardFolder [get_property REPOSITORY [get_boards *cobalt_x4*]]
    return [file join {*}[lrange [file split $boardFolder] 0 end-4] {*}$args]
}
try {
    show create {set diagram [create_board_diagram -vendor example.org -name cobalt_leds -version 1.0 -dir $dir]}
    show instance {set host [create_board_instance -board [get_boards *cobalt_x4*] -name host $diagram]}
    show instance {set leds [create_board_instance -board [get_boards *lumen_leds*] -name leds $diagram]}
    show connect {connect_board_components [get_board_components -of_objects $host *:J5:*] [get_board_components -of_objects $leds *:P1:*] $diagram}
    show write {write_board_file -of_objects $diagram}
    show file {fileText $dir/board.xml}
    # Pictures of the board and of the diagram (SVG; .png and .dot work too).
    # Pictures need Graphviz: a build without it says so, and the tour goes on.
    foreach {title script} {
        picture {write_board_picture -file $dir/cobalt_x4.svg}
        picture {write_board_picture -of_objects $diagram -file $dir/cobalt_leds.svg}
    } {
        if {[catch {show $title $script} message]} { puts $message }
    }
    show read {read_board_diagram $dir/board.xml}

    puts "\nThe module's LED signals, traced through the diagram to the carrier's FPGA balls, and written as constraints:"
    show interface {set ledsOut [get_board_component_interfaces -of_objects [get_board_components -of_objects $leds *:P1:*] leds]}
    show trace {trace_board_pins -of_objects $ledsOut}
    show balls {get_property LOC [trace_board_pins -of_objects $ledsOut]}
    show path {dict get [lindex [trace_board_pins -paths -of_objects $ledsOut] 0] hops}
    show constraints {write_pin_constraints -format lpf -file $dir/leds.lpf -of_objects $ledsOut -port_names {leds_OUT led}}
    show file {fileText $dir/leds.lpf}
    show other {read_board_diagram [sampleFile diagrams cobalt_with_lumen board.xml]}
    show list {get_board_diagrams}
    show current {current_board_diagram}
    show select {current_board_diagram -name example.org:cobalt_leds:1.0}
    show connectors {get_property CONNECTORS [current_board_diagram]}
    show close {close_board_diagram -name example.org:cobalt_leds:1.0}
    show list {get_board_diagrams}
    puts "\n(The tour's files, the pictures too, were in $dir, which it now removes.)"
} finally {
    file delete -force $dir
}

puts "\nChecking boards: the sample repository, then a faulty board kept apart from it (examples/faulty_boards):"
show sample {check_boards -format text}
show faulty {set_param board.repoPaths [file join [file dirname [info script]] faulty_boards]}
show check {check_boards -format text}
show findings {lmap finding [check_boards -rules MISSING_*] { dict get $finding message }}
reset_param board.repoPaths
