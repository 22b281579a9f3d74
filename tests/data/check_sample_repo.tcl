#!/usr/bin/env tclsh
# Consistency check of the sample board repository and the sample diagrams.
#
#   tclsh tests/data/check_sample_repo.tcl ?boards-root? ?diagrams-root?
#
# Parses every XML file and follows every reference a board makes (pin files,
# preset files, pin names, pin indexes, interface and preset names), so that an
# edit to the samples cannot leave a dangling name that a parser test would then
# trip over for the wrong reason. Also checks that the samples still use every
# element and enabled spelling the tests rely on. Exits 1 and lists the problems
# when anything is wrong.
package require Tcl 8.6
package require tdom

set here [file dirname [file normalize [info script]]]
set boardsRoot [expr {[llength $argv] > 0 ? [lindex $argv 0] : [file join $here .. .. data boards]}]
set diagramsRoot [expr {[llength $argv] > 1 ? [lindex $argv 1] : [file join $here .. .. data diagrams]}]

set problems {}
proc problem {file msg} { lappend ::problems "$file: $msg" }

proc parseFile {path} {
    set f [open $path rb]
    set data [read $f]
    close $f
    if {[catch {dom parse $data} doc]} {
        problem $path "not well-formed: $doc"
        return ""
    }
    return $doc
}

proc findFiles {dir pattern} {
    set found {}
    foreach d [lsort [glob -nocomplain -directory $dir -type d *]] {
        lappend found {*}[findFiles $d $pattern]
    }
    lappend found {*}[lsort [glob -nocomplain -directory $dir -type f $pattern]]
    return $found
}

# Elements the samples must keep using somewhere.
set required {
    board file_version description parameters parameter jumpers jumper components component
    pins pin interfaces interface preferred_ips preferred_ip port_maps port_map pin_maps pin_map
    component_modes component_mode connections connection connection_map
    ip_associated_rules ip_associated_rule ip associated_board_interface
    part_info ports port ip_presets ip_preset user_parameters user_parameter
}
set seenElements [dict create]
set enabledSpellings [dict create]
proc noteElements {root} {
    foreach n [$root selectNodes //*] { dict set ::seenElements [$n nodeName] 1 }
    foreach n [$root selectNodes {//*[@enabled]}] {
        dict lappend ::enabledSpellings [$n getAttribute enabled] [$n nodeName]
    }
}

proc attr {node name} { expr {[$node hasAttribute $name] ? [$node getAttribute $name] : ""} }
proc isUnsigned {s} { regexp {^[0-9]+$} $s }

# Pins of a component as a dict index -> name, checking uniqueness.
proc collectPins {file pinNodes owner} {
    set byIndex [dict create]
    set names [dict create]
    foreach p $pinNodes {
        set i [attr $p index]
        set n [attr $p name]
        if {![isUnsigned $i]} { problem $file "$owner: pin '$n' has index '$i', expected an unsigned number"; continue }
        if {[dict exists $byIndex $i]} { problem $file "$owner: pin index $i used twice" }
        if {[dict exists $names $n]} { problem $file "$owner: pin name '$n' used twice" }
        dict set byIndex $i $n
        dict set names $n $i
    }
    return $byIndex
}

proc pinNames {byIndex} { dict values $byIndex }

proc checkPinFile {boardFile dir comp v2} {
    set pf [attr $comp pin_map_file]
    set path [file join $dir $pf]
    if {$pf eq "" || ![file isfile $path]} { problem $boardFile "component [attr $comp name]: pin file '$pf' not found"; return {} }
    set doc [parseFile $path]
    if {$doc eq ""} { return {} }
    set root [$doc documentElement]
    noteElements $root
    if {[$root nodeName] ne "part_info"} { problem $path "root element is [$root nodeName], expected part_info" }
    if {[attr $root part_name] ne [attr $comp part_name]} {
        problem $path "part_name '[attr $root part_name]' differs from the component's '[attr $comp part_name]'"
    }
    set ports [dict create]
    if {$v2} {
        set pins [collectPins $path [$root selectNodes /part_info/pins/pin] part0]
    } else {
        set pins [collectPins $path [$root selectNodes /part_info/ports/port/pin] part0]
        foreach port [$root selectNodes /part_info/ports/port] { dict set ports [attr $port name] 1 }
    }
    foreach p [$root selectNodes //pin] {
        foreach a {name index loc iostandard} {
            if {[attr $p $a] eq ""} { problem $path "pin [attr $p index] lacks '$a'" }
        }
    }
    $doc delete
    return [list $pins $ports]
}

proc checkRange {file what pins st end} {
    if {![isUnsigned $st] || ![isUnsigned $end] || $st > $end} { problem $file "$what: bad range $st..$end"; return -1 }
    for {set i $st} {$i <= $end} {incr i} {
        if {![dict exists $pins $i]} { problem $file "$what: index $i is not a pin" }
    }
    return [expr {$end - $st + 1}]
}

proc presetNames {boardFile dir board} {
    set pf [attr $board preset_file]
    if {$pf eq ""} { return {} }
    set path [file join $dir $pf]
    if {![file isfile $path]} { problem $boardFile "preset file '$pf' not found"; return {} }
    set doc [parseFile $path]
    if {$doc eq ""} { return {} }
    set root [$doc documentElement]
    noteElements $root
    set names {}
    foreach p [$root selectNodes /ip_presets/ip_preset] {
        set key [string toupper [attr $p preset_proc_name]]
        if {$key in $names} { problem $path "preset '$key' defined twice" }
        lappend names $key
        if {![llength [$p selectNodes ip]]} { problem $path "preset '$key' has no ip" }
        foreach ip [$p selectNodes ip] {
            foreach a {vendor library name version} {
                if {[attr $ip $a] eq ""} { problem $path "preset '$key': ip lacks '$a'" }
            }
        }
    }
    $doc delete
    return $names
}

proc checkInterface {file comp iface pins ports v2 componentNames presets} {
    set where "interface [attr $iface name] of [attr $comp name]"
    set of [attr $iface of_component]
    if {$of ne "" && $of ni $componentNames} { problem $file "$where: of_component '$of' is not a component" }
    set proc [attr $iface preset_proc]
    if {$proc ne "" && [string toupper $proc] ni $presets} { problem $file "$where: preset_proc '$proc' is not in the preset file" }
    set names [pinNames $pins]
    foreach pm [$iface selectNodes port_maps/port_map] {
        set phys [attr $pm physical_port]
        if {!$v2} {
            if {![dict exists $ports $phys]} { problem $file "$where: physical_port '$phys' is not a port of the pin file" }
            if {[llength [$pm selectNodes pin_maps]]} { problem $file "$where: schema 1 port_map with pin_maps" }
            continue
        }
        set width 1
        if {[$pm hasAttribute left]} { set width [expr {abs([attr $pm left] - [attr $pm right]) + 1}] }
        set seen {}
        foreach m [$pm selectNodes pin_maps/pin_map] {
            set idx [attr $m port_index]
            set cp [attr $m component_pin]
            if {![isUnsigned $idx] || $idx >= $width} { problem $file "$where: port $phys: port_index '$idx' outside the port" }
            if {$idx in $seen} { problem $file "$where: port $phys: port_index $idx mapped twice" }
            lappend seen $idx
            if {$cp ni $names} { problem $file "$where: port $phys: component_pin '$cp' is not a pin of [attr $comp name]" }
        }
    }
}

proc checkBoard {path} {
    set doc [parseFile $path]
    if {$doc eq ""} { return }
    set board [$doc documentElement]
    noteElements $board
    set dir [file dirname $path]
    set vendor [attr $board vendor]
    set name [attr $board name]
    set version [[$board selectNodes file_version] text]
    set full $vendor:$name:$version
    if {[file join $vendor $name $version] ne [join [lrange [file split $dir] end-2 end] /]} {
        problem $path "lies outside <vendor>/<name>/<version> for $full"
    }
    if {[dict exists $::fullNames $full]} { problem $path "full name $full also used by [dict get $::fullNames $full]" }
    set v2 [expr {[attr $board schema_version] >= 2.0}]
    set presets [presetNames $path $dir $board]
    set components [$board selectNodes components/component]
    set componentNames {}
    foreach c $components { lappend componentNames [attr $c name] }
    set pinsOf [dict create]
    set portsOf [dict create]
    set connectors {}
    foreach c $components {
        set cname [attr $c name]
        if {[attr $c type] eq "fpga"} {
            lassign [checkPinFile $path $dir $c $v2] pins ports
            dict set portsOf $cname $ports
        } else {
            set pins [collectPins $path [$c selectNodes pins/pin] $cname]
        }
        dict set pinsOf $cname $pins
        if {[attr $c type] eq "connector"} { lappend connectors $cname [list [attr $c sub_type] [dict size $pins]] }
    }
    set allInterfaces {}
    foreach c $components {
        set cname [attr $c name]
        set own {}
        set ports [expr {[dict exists $portsOf $cname] ? [dict get $portsOf $cname] : {}}]
        foreach i [$c selectNodes interfaces/interface] {
            lappend own [attr $i name]
            checkInterface $path $c $i [dict get $pinsOf $cname] $ports $v2 $componentNames $presets
        }
        lappend allInterfaces {*}$own
        foreach m [$c selectNodes component_modes/component_mode] {
            foreach i [$m selectNodes interfaces/interface] {
                if {[attr $i name] ni $own} { problem $path "mode [attr $m name] of $cname names unknown interface '[attr $i name]'" }
            }
        }
    }
    foreach conn [$board selectNodes connections/connection] {
        set c1 [attr $conn component1]
        set c2 [attr $conn component2]
        if {$c1 ni $componentNames || $c2 ni $componentNames} { problem $path "connection [attr $conn name]: unknown component"; continue }
        foreach m [$conn selectNodes connection_map] {
            set what "connection_map [attr $m name]"
            set n1 [checkRange $path "$what ($c1)" [dict get $pinsOf $c1] [attr $m c1_st_index] [attr $m c1_end_index]]
            set n2 [checkRange $path "$what ($c2)" [dict get $pinsOf $c2] [attr $m c2_st_index] [attr $m c2_end_index]]
            if {$n1 != $n2} { problem $path "$what: ranges of different length ($n1, $n2)" }
        }
    }
    foreach a [$board selectNodes ip_associated_rules/ip_associated_rule/ip/associated_board_interface] {
        if {[attr $a name] ni $allInterfaces} { problem $path "ip_associated_rule names unknown interface '[attr $a name]'" }
    }
    dict set ::fullNames $full $path
    dict set ::connectorsOf $full $connectors
    $doc delete
}

proc checkDiagram {path} {
    set doc [parseFile $path]
    if {$doc eq ""} { return }
    set root [$doc documentElement]
    if {[attr $root is_integrated] ne "true"} { problem $path "is_integrated is not \"true\"" }
    set alias [dict create]
    foreach b [$root selectNodes connected_boards/base_boards/base_board] {
        set id [attr $b id]
        if {![dict exists $::fullNames $id]} { problem $path "base_board id '$id' is not a board of the repository" }
        dict set alias [attr $b alias_name] $id
    }
    foreach c [$root selectNodes connected_boards/connectors/connector] {
        set ends {}
        foreach side {1 2} {
            set a [attr $c board$side]
            set comp [attr $c board${side}_connector]
            if {![dict exists $alias $a]} { problem $path "connector: board$side '$a' is no alias"; continue }
            set conns [dict get $::connectorsOf [dict get $alias $a]]
            if {![dict exists $conns $comp]} { problem $path "connector: '$comp' is not a connector of $a"; continue }
            lappend ends [dict get $conns $comp]
        }
        if {[llength $ends] == 2 && [lindex $ends 0] ne [lindex $ends 1]} {
            problem $path "connector: the two ends differ in type or pin count: $ends"
        }
    }
    $doc delete
}

set fullNames [dict create]
set connectorsOf [dict create]
set boardFiles [findFiles $boardsRoot board.xml]
foreach f $boardFiles { checkBoard $f }
set diagramFiles [findFiles $diagramsRoot board.xml]
foreach f $diagramFiles { checkDiagram $f }

foreach e $required {
    if {![dict exists $seenElements $e]} { problem $boardsRoot "no sample uses <$e>" }
}
foreach s {true false TRUE True False FALSE} {
    if {![dict exists $enabledSpellings $s]} { problem $boardsRoot "no sample spells enabled=\"$s\"" }
}

puts "checked [llength $boardFiles] boards and [llength $diagramFiles] diagrams"
if {[llength $problems]} {
    puts [join $problems \n]
    exit 1
}
puts "no problems"
