# Runs in a child boardsh for docs.tcl: reads a Tcl list of commands from
# stdin, evaluates each at the global level as the console would, and prints
# what it printed, then its result or its error's message, then a line
# holding only the character 0x1e.
fconfigure stdout -buffering line
foreach command [read stdin] {
    catch {uplevel #0 $command} result
    if {$result ne ""} { puts $result }
    puts \x1e
}
