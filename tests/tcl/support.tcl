# Helpers shared by the Tcl-level tests.
namespace eval ::zem {
    variable buildDir $::env(ZEM_BUILD_DIR)
    variable sourceDir $::env(ZEM_SOURCE_DIR)
    variable libDir [file join $buildDir lib]
    variable boardsh [file join $buildDir bin boardsh]
}

# Runs a script in a child boardsh or tclsh; returns {exitcode stdout+stderr}.
# env: name value pairs to set; an empty value unsets.
proc ::zem::child {how script {env {}} {switches {}}} {
    set file [::tcltest::makeFile $script child[incr ::zem::childCount].tcl]
    # Set and restored one by one: "array unset ::env" misses the real environment.
    set saved {}
    foreach {name value} $env {
        if {![dict exists $saved $name]} {
            dict set saved $name [expr {[info exists ::env($name)] ? [list $::env($name)] : {}}]
        }
        if {$value eq ""} { unset -nocomplain ::env($name) } else { set ::env($name) $value }
    }
    try {
        if {$how eq "boardsh"} {
            set command [list $::zem::boardsh {*}$switches $file]
        } else {
            set command [list $::env(ZEM_TCLSH) $file]
            if {[info exists ::env(ZEM_PRELOAD)] && $::env(ZEM_PRELOAD) ne ""} {
                set command [list env LD_PRELOAD=$::env(ZEM_PRELOAD) {*}$command]
            }
        }
        set code [catch {exec {*}$command 2>@1} output options]
        if {$code} {
            set status [lindex [dict get $options -errorcode] 0]
            set exitcode [expr {$status eq "CHILDSTATUS" ? [lindex [dict get $options -errorcode] 2] : 1}]
        } else {
            set exitcode 0
        }
    } finally {
        dict for {name old} $saved {
            if {[llength $old]} { set ::env($name) [lindex $old 0] } else { unset -nocomplain ::env($name) }
        }
    }
    return [list $exitcode $output]
}
set ::zem::childCount 0

# The script lines that load host and extension in a plain tclsh.
proc ::zem::loadLines {} {
    return "lappend auto_path [list $::zem::libDir]\npackage require zem::board\n"
}

# Names of a collection or list of objects, as a plain list of strings.
proc ::zem::names {objects} {
    set names {}
    foreach_in_collection object $objects { lappend names [get_property NAME $object] }
    return $names
}

# A child script for how: a plain tclsh loads the libraries first.
proc ::zem::script {how body} {
    if {$how eq "tclsh"} { return "[::zem::loadLines]$body" }
    return $body
}

# Runs body in a child boardsh or tclsh (see ::zem::child).
proc ::zem::run {how body {env {}} {switches {}}} {
    return [::zem::child $how [::zem::script $how $body] $env $switches]
}

# Child script lines printing "result <code> <result>" after the reports script caused.
proc ::zem::probe {script} {
    return "set code \[catch {$script} result\]\nflush stdout\nputs \"result \$code <\$result>\"\nflush stdout\n"
}
proc ::zem::probeRun {how script} { ::zem::run $how [::zem::probe $script] }

# The address of the Tcl object that holds value.
proc ::zem::address {value} {
    regexp {object pointer at (\S+),} [::tcl::unsupported::representation $value] -> address
    return $address
}

# The reference count of the Tcl object that holds value, not counting the
# reference this call itself holds.
proc ::zem::refCount {value} {
    regexp {with a refcount of (\d+),} [::tcl::unsupported::representation $value] -> count
    return [expr {$count - 1}]
}

# The Tcl type of value's internal form ("pelko:..." for native objects).
proc ::zem::tclType {value} {
    regexp {^value is an? (\S+) with} [::tcl::unsupported::representation $value] -> type
    return $type
}

# Lines of output that match a glob pattern, in order.
proc ::zem::linesMatching {output pattern} {
    return [lsearch -all -inline -glob [split $output \n] $pattern]
}

# The objects of a collection or list of objects, as a plain Tcl list.
proc ::zem::objects {objects} {
    set list {}
    foreach_in_collection object $objects { lappend list $object }
    return $list
}

source [file join [file dirname [info script]] query_contract.tcl]

# Runs script with the host's current_board_part answering body; returns {code result}.
proc ::zem::withHostCommand {body script} {
    rename ::current_board_part ::host_current_board_part
    proc ::current_board_part {args} $body
    try {
        return [list [catch {uplevel 1 $script} result] $result]
    } finally {
        rename ::current_board_part {}
        rename ::host_current_board_part ::current_board_part
    }
}

# The first board matching pattern; a board part as an object, cobalt_x4's staying selected.
proc board {pattern} { return [index_collection [::board::get_boards $pattern] 0] }
proc boardPart {name} {
    set part [current_board_part -quiet $name]
    current_board_part -quiet acme.com:cobalt_x4:part0:2.0
    return $part
}

# A copy of the sample repository's boards in this run's temporary folder,
# made once: a test that may write a repository board (write_board_file
# given a board) works on it, never on the source tree.
proc ::zem::repositoryCopy {} {
    set copy [file join [::tcltest::temporaryDirectory] repository-copy]
    if {![file isdirectory $copy]} {
        ::tcltest::makeDirectory repository-copy  ;# removed by cleanupTests
        foreach entry [glob -directory [file join $::zem::sourceDir data boards] *] { file copy $entry $copy }
    }
    return $copy
}
