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
show jumpers {get_board_jumpers}
show "jumper mode" {get_property DEFAULT_MODE [get_board_jumpers JP3]}
show parameters {get_board_parameters -filter {VALUE_TYPE == long}}
show presets {::tesmar::board::get_board_presets -ip acme.com:ip:gpio:1.0}
show "preset values" {get_property USER_PARAMETERS [::tesmar::board::get_board_presets -ip acme.com:ip:gpio:1.0]}
show "IPs for uart" {::tesmar::board::get_ip_associated_interfaces -filter {BOARD_INTERFACE == uart}}
show "LED pins" {get_property LOC [get_board_component_pins -of_objects [current_board_part] led*]}
show count {sizeof_collection [get_boards *acme*]}
show usage {help get_boards}
