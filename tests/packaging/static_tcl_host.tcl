# Run by static_tcl_host: the package and its commands work on a Tcl that
# is linked into the program, and no libtcl shared library joins it.
lappend auto_path [file join $env(ZEM_BUILD_DIR) lib]
package require zem::board
set boards [::board::get_boards acme.com:*]
if {[llength $boards] == 0} { error "no board found" }
set maps [open /proc/self/maps]
set mapped [read $maps]
close $maps
if {[string match *libtcl8* $mapped]} { error "a libtcl shared library was loaded beside the static Tcl" }
if {![string match *libzem_boardcommontasks* $mapped]} { error "the extension is not mapped" }
list [info patchlevel] [llength $boards]
