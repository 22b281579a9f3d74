
puts "# board_common::get_board_parts"; flush stdout
set code [catch {board_common::get_board_parts -of_objects [::board::get_boards *lumen*]} result]; flush stdout; puts "$code <$result>"
puts "# ::board::get_board_components"; flush stdout
set code [catch {::board::get_board_components} result]; flush stdout; puts "$code <$result>"
puts "# ::board::get_board_component_interfaces"; flush stdout
set code [catch {::board::get_board_component_interfaces} result]; flush stdout; puts "$code <$result>"
puts "# ::board::get_board_buses"; flush stdout
set code [catch {::board::get_board_buses} result]; flush stdout; puts "$code <$result>"
puts "# ::board::get_board_bus_nets"; flush stdout
set code [catch {::board::get_board_bus_nets} result]; flush stdout; puts "$code <$result>"
puts "# ::board::get_board_component_modes"; flush stdout
set code [catch {::board::get_board_component_modes} result]; flush stdout; puts "$code <$result>"
proc current_board_part args { return text }
puts "# ::board::get_board_components"; flush stdout
set code [catch {::board::get_board_components} result]; flush stdout; puts "$code <$result>"
puts "# ::board::get_board_component_interfaces"; flush stdout
set code [catch {::board::get_board_component_interfaces} result]; flush stdout; puts "$code <$result>"
set_param board.enableSchema2 0
puts "# ::board::get_board_components"; flush stdout
set code [catch {::board::get_board_components} result]; flush stdout; puts "$code <$result>"
puts "# ::board::get_board_buses"; flush stdout
set code [catch {::board::get_board_buses} result]; flush stdout; puts "$code <$result>"
puts "# ::board::get_board_bus_nets"; flush stdout
set code [catch {::board::get_board_bus_nets} result]; flush stdout; puts "$code <$result>"
puts "# ::board::get_board_component_modes"; flush stdout
set code [catch {::board::get_board_component_modes -of_objects [index_collection [board_common::get_board_parts] 0]} result]; flush stdout; puts "$code <$result>"
