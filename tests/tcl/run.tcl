# Runs one tcltest file and exits non-zero when a test failed.
# In boardsh the host and the extension are loaded already; in a plain
# tclsh the package is required here, as a user of the extension would.
package require tcltest 2
namespace import ::tcltest::*

set testFile [lindex $argv 0]
if {[llength [info commands current_board_part]] == 0} {
    lappend auto_path [file join $env(ZEM_BUILD_DIR) lib]
    package require zem::board
}

namespace eval ::zem {
    variable failed 0
}
proc ::tcltest::cleanupTestsHook {} {
    set ::zem::failed [expr {$::zem::failed + $::tcltest::numTests(Failed)}]
}
# Child scripts go to a folder of this run, never into the source tree.
set tmpDir [file join $env(ZEM_BUILD_DIR) tcltest-tmp [file rootname [file tail $testFile]]-[pid]]
file mkdir $tmpDir
::tcltest::configure -verbose {body error} -testdir [file dirname $testFile] -tmpdir $tmpDir
source [file join [file dirname [info script]] support.tcl]
source $testFile
file delete -force $tmpDir
exit [expr {$::zem::failed > 0}]
