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

puts "\nFrom the board part to its interfaces, pins and interface ports:"
show interfaces {get_board_part_interfaces}
show pins {foreach_in_collection pin [get_board_part_pins -of_objects [get_board_part_interfaces diff_clock]] { puts "[get_property NAME $pin]: LOC [get_property LOC $pin], IOSTANDARD [get_property IOSTANDARD $pin]" }}
show ports {get_board_interface_ports -of_objects [get_board_part_pins led3]}
show filter {get_board_part_pins -filter {IOSTANDARD == LVDS && LOC =~ A*}}
show count {sizeof_collection [get_boards *acme*]}
show usage {help get_boards}
