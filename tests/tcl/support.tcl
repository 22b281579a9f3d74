# Helpers shared by the Tcl-level tests.
namespace eval ::zem {
    variable buildDir $::env(ZEM_BUILD_DIR)
    variable sourceDir $::env(ZEM_SOURCE_DIR)
    variable libDir [file join $buildDir lib]
    variable boardsh [file join $buildDir bin boardsh]
}

# Runs a script in a child process and returns {exitcode output}, output
# being stdout and stderr together. how: "boardsh" (with optional host
# switches) or "tclsh" (a plain tclsh: the script loads the libraries
# itself, see ::zem::run). env: name value pairs to set; an empty value unsets.
proc ::zem::child {how script {env {}} {switches {}}} {
    set file [::tcltest::makeFile $script child[incr ::zem::childCount].tcl]
    # Each variable is set and restored on its own: "array unset ::env"
    # does not reach the process environment that exec hands on.
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

# A child script for how: in a plain tclsh the libraries are loaded first,
# as a user of the extension would; boardsh has loaded them already.
proc ::zem::script {how body} {
    if {$how eq "tclsh"} { return "[::zem::loadLines]$body" }
    return $body
}

# Runs body in a child boardsh or tclsh (see ::zem::child).
proc ::zem::run {how body {env {}} {switches {}}} {
    return [::zem::child $how [::zem::script $how $body] $env $switches]
}

# The address of the Tcl object that holds value: two values are the same
# object exactly when their addresses agree.
proc ::zem::address {value} {
    regexp {object pointer at (\S+),} [::tcl::unsupported::representation $value] -> address
    return $address
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
