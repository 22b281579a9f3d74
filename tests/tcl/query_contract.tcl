# The behaviour every query command shares (patterns, -nocase, -regexp, -filter,
# -of_objects, the result's form), as tcltest cases; see docs/task-framework.md.
namespace eval ::zem::contract {
    # key and title; check_<key> returns the problems found, empty when all is well.
    variable cases {
        patterns  {each pattern (or list of them) adds its matches in pattern order, repeats kept; a glob matches the whole name}
        nocase    {patterns compare case-sensitively unless -nocase}
        regexp    {-regexp matches the whole name; -nocase applies to it; a bad one is an error}
        filter    {-filter narrows what the patterns found; values compare case-sensitively; a malformed filter or an unknown property is an error}
        emptyOf   {empty -of_objects: nothing, or as if not given with tcl.returnAllIfOfObjectEmpty}
        of        {-of_objects accepts its classes and names both sides for another class}
        noMatch   {a pattern matching nothing: an empty result, or status 1 where that is the rule}
        result    {a collection of objects, or a plain list with tcl.disableCollections}
    }
    variable params {tcl.disableCollections tcl.returnAllIfOfObjectEmpty}
}

proc query_contract {command args} {
    set contract [dict merge {-setup {} -cleanup {} -gather {} -empty ok -skip {} -of {} -wrong {}} $args]
    dict set contract command $command
    foreach required {-name -of -wrong} {
        if {![dict exists $contract $required] || [dict get $contract $required] eq ""} {
            error "query_contract $command: $required is required"
        }
    }
    if {![dict exists $contract -prefix]} { dict set contract -prefix [namespace tail $command] }
    set number 0
    dict for {key title} $::zem::contract::cases {
        incr number
        if {$key in [dict get $contract -skip]} continue
        ::tcltest::test [dict get $contract -prefix]-contract-$number "$title" \
            -setup [list uplevel #0 [dict get $contract -setup]] \
            -body [list ::zem::contract::check_$key $contract] \
            -cleanup [list ::zem::contract::cleanup $contract] \
            -result {}
    }
}

proc ::zem::contract::cleanup {contract} {
    foreach name $::zem::contract::params { reset_param $name }
    uplevel #0 [dict get $contract -cleanup]
}

# Runs the command quietly with the gathering arguments; returns {code names-or-error}.
proc ::zem::contract::call {contract args} {
    tailcall callBare $contract {*}[uplevel #0 [dict get $contract -gather]] {*}$args
}
proc ::zem::contract::callBare {contract args} {
    set code [catch {{*}[dict get $contract command] -quiet {*}$args} result]
    if {$code == 0} { set result [::zem::names $result] }
    if {$code == 1 && [dict get $contract -empty] eq "error"} { set result {} }
    return [list $code $result]
}

# What an empty result must look like under the command's rule.
proc ::zem::contract::empty {contract} {
    if {[dict get $contract -empty] eq "error"} { return {1 {}} }
    return {0 {}}
}

# Problem text when got differs from expected, else nothing.
proc ::zem::contract::expect {what got expected} {
    if {$got eq $expected} { return {} }
    return [list "$what: got {$got}, expected {$expected}"]
}

# Expects an error matching every regexp in patterns, with a ZEM -errorcode kind in kinds.
proc ::zem::contract::expectError {what contract kinds patterns args} {
    set code [catch {{*}[dict get $contract command] -quiet {*}$args} message options]
    if {$code != 1} { return [list "$what: no error, got {$message}"] }
    set problems {}
    foreach pattern $patterns {
        if {![regexp -- $pattern $message]} { lappend problems "$what: message {$message} lacks /$pattern/" }
    }
    set errorcode [dict get $options -errorcode]
    if {[lindex $errorcode 0] eq "ZEM" && [lindex $errorcode 1] ni $kinds} {
        lappend problems "$what: -errorcode {$errorcode}, expected a kind in {$kinds}"
    }
    return $problems
}

proc ::zem::contract::allNames {contract} {
    lassign [call $contract] code all
    if {$code != 0 || [llength $all] == 0} { error "[dict get $contract command] gathers nothing to test: $all" }
    if {[dict get $contract -name] ni $all} { error "[dict get $contract -name] is not in the result {$all}" }
    return $all
}

# The name with its case changed, so that only a case-blind match finds it.
proc ::zem::contract::otherCase {name} {
    if {[string toupper $name] ne $name} { return [string toupper $name] }
    return [string tolower $name]
}

# A regular expression matching exactly the text.
proc ::zem::contract::quoted {text} { return [regsub -all {[^[:alnum:]_]} $text {\\&}] }

proc ::zem::contract::check_patterns {contract} {
    set all [allNames $contract]
    set name [dict get $contract -name]
    set same [lsearch -all -inline -exact $all $name]
    concat [expect "patterns {$name *}" [call $contract $name *] [list 0 [concat $same $all]]] \
           [expect "patterns {* $name}" [call $contract * $name] [list 0 [concat $all $same]]] \
           [expect "patterns {$name $name}" [call $contract $name $name] [list 0 [concat $same $same]]] \
           [expect "one word listing {$name $name}" [call $contract [list $name $name]] [list 0 [concat $same $same]]] \
           [expect "pattern [string range $name 1 end] (a glob matches the whole name)" \
                [call $contract [string range $name 1 end]] [empty $contract]]
}

proc ::zem::contract::check_nocase {contract} {
    allNames $contract
    set name [dict get $contract -name]
    set other [otherCase $name]
    set same [call $contract $name]
    concat [expect "pattern $other" [call $contract $other] [empty $contract]] \
           [expect "-nocase $other" [call $contract -nocase $other] $same]
}

proc ::zem::contract::check_regexp {contract} {
    allNames $contract
    set name [dict get $contract -name]
    set same [call $contract $name]
    set whole [quoted $name]
    set inner [quoted [string range $name 1 end-1]]
    concat [expect "-regexp $whole" [call $contract -regexp $whole] $same] \
           [expect "-regexp $inner" [call $contract -regexp $inner] [empty $contract]] \
           [expect "-regexp .*$inner.* finds $name" [expr {$name in [lindex [call $contract -regexp .*$inner.*] 1]}] 1] \
           [expect "-regexp -nocase" [call $contract -regexp -nocase [quoted [otherCase $name]]] $same] \
           [expectError "-regexp {a(b}" $contract VALUE {{a\(b}} {*}[uplevel #0 [dict get $contract -gather]] -regexp {a(b}]
}

proc ::zem::contract::check_filter {contract} {
    allNames $contract
    set name [dict get $contract -name]
    set gather [uplevel #0 [dict get $contract -gather]]
    set same [call $contract $name]
    concat [expect "-filter NAME == name" [call $contract -filter "NAME == $name"] $same] \
           [expect "-filter after patterns {$name *}" [call $contract -filter "NAME == $name" $name *] \
                [list 0 [concat [lindex $same 1] [lindex $same 1]]]] \
           [expect "-filter NAME == other case" [call $contract -filter "NAME == [otherCase $name]"] [empty $contract]] \
           [expectError "-filter {NAME ==}" $contract VALUE {filter {NAME ==}} {*}$gather -filter {NAME ==}] \
           [expectError "-filter {COLOR == red}" $contract VALUE COLOR {*}$gather -filter {COLOR == red}] \
           [expectError "-filter {NAME == x || COLOR == red}" $contract VALUE COLOR \
                {*}$gather -filter "NAME == $name || COLOR == red"]
}

# Compared with the command's default gathering, not with -gather.
proc ::zem::contract::check_emptyOf {contract} {
    set name [dict get $contract -name]
    set without [callBare $contract]
    set withoutName [callBare $contract $name]
    set problems [expect "-of_objects {}" [callBare $contract -of_objects {}] [empty $contract]]
    set_param tcl.returnAllIfOfObjectEmpty 1
    concat $problems \
           [expect "-of_objects {}, returning all" [callBare $contract -of_objects {}] $without] \
           [expect "-of_objects {} $name, returning all" [callBare $contract -of_objects {} $name] $withoutName]
}

proc ::zem::contract::check_of {contract} {
    set good [uplevel #0 [dict get $contract -of]]
    set wrong [uplevel #0 [dict get $contract -wrong]]
    set accepted [get_property CLASS [lindex [::zem::objects $good] 0]]
    set rejected [get_property CLASS $wrong]
    set names [list "\\m$rejected\\M" "\\m$accepted\\M"]
    set code [catch {{*}[dict get $contract command] -quiet -of_objects $good} result]
    concat [expect "-of_objects with $accepted objects" $code 0] \
           [expectError "-of_objects $rejected" $contract TYPE $names -of_objects $wrong] \
           [expectError "-of_objects $accepted then $rejected" $contract TYPE $names \
                -of_objects [list {*}[::zem::objects $good] $wrong]] \
           [expectError "-of_objects text" $contract {VALUE TYPE} {-of_objects} -of_objects [list [dict get $contract -name]]]
}

proc ::zem::contract::check_noMatch {contract} {
    expect "pattern matching nothing" [call $contract no_such_object_anywhere] [empty $contract]
}

proc ::zem::contract::check_result {contract} {
    set all [allNames $contract]
    set gather [uplevel #0 [dict get $contract -gather]]
    set command [dict get $contract command]
    set collection [{*}$command -quiet {*}$gather]
    set problems [expect "collection type" [string match pelko:* [::zem::tclType $collection]] 1]
    set_param tcl.disableCollections 1
    set list [{*}$command -quiet {*}$gather]
    lappend problems {*}[expect "type with tcl.disableCollections" [::zem::tclType $list] list]
    set names {}
    foreach object $list { lappend names [get_property NAME $object] }
    concat $problems [expect "plain list names" $names $all]
}
