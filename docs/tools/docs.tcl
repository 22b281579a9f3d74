# Keeps the user documentation true: the command pages (docs/commands/),
# the guide (docs/user-guide.md) and the README. The format of a command
# page is described in docs/commands.md ("Adding a command's page").
#
#   boardsh docs/tools/docs.tcl check              every command has its page, every page's usage is current
#   boardsh docs/tools/docs.tcl examples PAGE...   every example of the pages gives the output shown
#   boardsh docs/tools/docs.tcl update ?PAGE...?   rewrites usages and example outputs from the commands
#   boardsh docs/tools/docs.tcl new NAME           writes the skeleton of a new command's page
#   tclsh   docs/tools/docs.tcl man OUTPUT PAGE VERSION   writes the man page of a page
#
# check, examples and update run in boardsh (they ask the commands); the
# examples of each page run in a fresh boardsh of their own, in a temporary
# folder that is removed afterwards. Exit status 1 when something is out of
# date; each finding names the page and line.

namespace eval ::docs {
    variable root [file normalize [file join [file dirname [info script]] .. ..]]
    variable runner [file normalize [file join [file dirname [info script]] run_examples.tcl]]
    variable failures 0
    # The pages whose examples are run, besides the command pages.
    variable examplePages {README.md docs/user-guide.md}
}

proc ::docs::fail {where text} {
    variable failures
    incr failures
    puts stderr "$where: $text"
}

proc ::docs::readFile {file} {
    set channel [open $file]
    try { return [read $channel] } finally { close $channel }
}

proc ::docs::writeFile {file text} {
    set channel [open $file w]
    try { puts -nonewline $channel $text } finally { close $channel }
}

# ---------------------------------------------------------------------------
# Pages: a page is a list of blocks, {text LINE FIRSTLINE LINES} or
# {code LINE INFO LINES}, where LINE is the line number of its first line.

proc ::docs::parsePage {text} {
    set blocks {}
    set lines [split [string trimright $text \n] \n]
    set current {}
    set start 1
    set inCode 0
    set number 0
    foreach line $lines {
        incr number
        if {!$inCode && [regexp {^```(.*)$} $line -> info]} {
            if {[llength $current]} { lappend blocks [list text $start $current] }
            set current {}
            set inCode 1
            set codeInfo $info
            set start $number
            continue
        }
        if {$inCode && $line eq "```"} {
            lappend blocks [list code $start $current $codeInfo]
            set current {}
            set inCode 0
            set start [expr {$number + 1}]
            continue
        }
        lappend current $line
    }
    if {$inCode} { error "line $start: a code block that is never closed" }
    if {[llength $current]} { lappend blocks [list text $start $current] }
    return $blocks
}

proc ::docs::renderPage {blocks} {
    set lines {}
    foreach block $blocks {
        lassign $block kind start body info
        if {$kind eq "code"} {
            lappend lines "```$info" {*}$body "```"
        } else {
            lappend lines {*}$body
        }
    }
    return "[join $lines \n]\n"
}

# An example session: a code block whose first line starts with "% ".
proc ::docs::isSession {block} {
    lassign $block kind start body
    return [expr {$kind eq "code" && [string match "% *" [lindex $body 0]]}]
}

# The entries of a session: {command output blanks}, where a command
# continues on lines starting with "> ", its output is every line up to the
# next command, and blanks counts the empty lines that end the output.
proc ::docs::parseSession {body} {
    set entries {}
    foreach line $body {
        if {[string match "% *" $line]} {
            if {[info exists command]} { lappend entries [sessionEntry $command $output] }
            set command [string range $line 2 end]
            set output {}
            set continued 1
        } elseif {$continued && [string match "> *" $line]} {
            append command \n[string range $line 2 end]
        } else {
            set continued 0
            lappend output $line
        }
    }
    lappend entries [sessionEntry $command $output]
    return $entries
}

proc ::docs::sessionEntry {command output} {
    set blanks 0
    while {[llength $output] && [lindex $output end] eq ""} {
        set output [lrange $output 0 end-1]
        incr blanks
    }
    return [list $command [join $output \n] $blanks]
}

proc ::docs::renderSession {entries} {
    set lines {}
    foreach entry $entries {
        lassign $entry command output blanks
        set commandLines [split $command \n]
        lappend lines "% [lindex $commandLines 0]"
        foreach more [lrange $commandLines 1 end] { lappend lines "> $more" }
        if {$output ne ""} { lappend lines {*}[split $output \n] }
        for {set i 0} {$i < $blanks} {incr i} { lappend lines "" }
    }
    return $lines
}

# The text under a "## heading" of a page, up to the next "## ".
proc ::docs::section {blocks heading} {
    set inside 0
    set found {}
    foreach block $blocks {
        lassign $block kind start body
        if {$kind eq "code"} {
            if {$inside} { lappend found $block }
            continue
        }
        set kept {}
        foreach line $body {
            if {[string match "## *" $line]} {
                if {$inside && [llength $kept]} { lappend found [list text $start $kept] }
                set kept {}
                set inside [expr {$line eq "## $heading"}]
                continue
            }
            if {$inside} { lappend kept $line }
        }
        if {$inside && [llength $kept]} { lappend found [list text $start $kept] }
    }
    return $found
}

# ---------------------------------------------------------------------------
# Commands, as the running shell registers them.

# The name as help lists it (no leading colons) -> its simple name.
proc ::docs::commands {} {
    set names {}
    foreach line [split [help -return_string] \n] {
        if {$line ne ""} { lappend names [lindex $line 0] }
    }
    return $names
}

proc ::docs::simpleName {name} { return [namespace tail $name] }

# The extension's commands as the package entry's table lists them:
# registered name -> entry pair (the source file's name).
proc ::docs::tableCommands {} {
    variable root
    set table [readFile [file join $root board common tcltasks HBOCTcCommands.def]]
    set commands {}
    foreach {-> entry name} [regexp -all -inline -line {^HBOCTC_COMMAND\((\w+), "([^"]+)"} $table] {
        dict set commands [string trimleft $name :] $entry
    }
    return $commands
}

proc ::docs::usageText {name} { return [string trimright [help -return_string $name] \n] }

# The option and argument words of a usage text's "Usage:" line, without
# the two every command has.
proc ::docs::usageWords {usage} {
    regexp -line {^Usage: \S+(.*)$} $usage -> line
    set words {}
    foreach word [regexp -all -inline {\S+} $line] {
        set word [string trim $word ?]
        if {$word in {value -help -quiet}} continue
        lappend words [string map {... {}} $word]
    }
    return $words
}

# How a boardsh session calls the command: the ::board commands are
# imported, the others need their namespace.
proc ::docs::callName {name} {
    if {[string match board::* $name] || [namespace qualifiers $name] eq ""} { return [simpleName $name] }
    return ::$name
}

proc ::docs::pageFile {name} {
    variable root
    return [file join $root docs commands [simpleName $name].md]
}

proc ::docs::relative {file} {
    variable root
    return [string range $file [string length $root/] end]
}

# ---------------------------------------------------------------------------
# check: every command has a page, the index and the developer page name it.

proc ::docs::check {} {
    variable root
    set commands [commands]
    set table [tableCommands]
    dict for {name entry} $table {
        if {$name ni $commands} { fail HBOCTcCommands.def "$name is in the table but not registered in this shell" }
    }
    set index [readFile [file join $root docs commands.md]]
    set developers [readFile [file join $root docs developers.md]]
    set pages {}
    foreach name $commands {
        set simple [simpleName $name]
        if {$simple in $pages} { fail docs/commands "two commands have the simple name $simple" }
        lappend pages $simple
        set file [pageFile $name]
        if {![file exists $file]} {
            fail [relative $file] "$name has no page; write one (boardsh docs/tools/docs.tcl new $simple)"
            continue
        }
        checkPage $name $file
        if {[string first "(commands/$simple.md)" $index] < 0} {
            fail docs/commands.md "no link to the page of $name (commands/$simple.md)"
        }
        checkDeveloperRow $developers $name [expr {[dict exists $table $name] ? [dict get $table $name] : ""}]
    }
    foreach file [glob -nocomplain -directory [file join $root docs commands] *.md] {
        if {[file rootname [file tail $file]] ni $pages} { fail [relative $file] "no command of this name is registered" }
    }
    foreach file [allPages] { checkReadsBack $file }
}

# update rewrites a page from what it read: every page must read back as
# written, so that update changes nothing but usages and outputs.
proc ::docs::checkReadsBack {file} {
    set text [readFile $file]
    set blocks [parsePage $text]
    if {[renderPage $blocks] ne $text} { fail [relative $file] "the page does not read back as written (one newline at its end?)" }
    foreach block $blocks {
        if {[isSession $block] && [renderSession [parseSession [lindex $block 2]]] ne [lindex $block 2]} {
            fail [relative $file]:[lindex $block 1] "the example does not read back as written"
        }
    }
}

# A row of the developer page's table naming the command and, for the
# extension's commands, the file of its entry pair.
proc ::docs::checkDeveloperRow {developers name entry} {
    foreach line [split $developers \n] {
        if {![string match "|*`$name`*|*" $line]} continue
        if {$entry eq "" || [regexp "\[/`\]$entry\\.cpp`" $line]} return
    }
    fail docs/developers.md "no row for `$name`[expr {$entry eq "" ? "" : " with its file $entry.cpp"}]"
}

proc ::docs::checkPage {name file} {
    set where [relative $file]
    set blocks [parsePage [readFile $file]]
    set simple [simpleName $name]
    if {[lindex $blocks 0 2 0] ne "# $simple"} { fail $where:1 "the page must start with \"# $simple\"" }
    set usage [lsearch -inline -index 0 [section $blocks Usage] code]
    if {$usage eq ""} {
        fail $where "no \"## Usage\" section with the usage in a code block"
    } elseif {[join [lindex $usage 2] \n] ne [usageText $name]} {
        fail $where:[lindex $usage 1] "the usage is not what \"help $name\" shows (boardsh docs/tools/docs.tcl update)"
    }
    set options [join [lmap block [section $blocks Options] { join [lindex $block 2] \n }] \n]
    foreach word [usageWords [usageText $name]] {
        if {[string first "`$word`" $options] < 0} { fail $where "the \"## Options\" section does not explain `$word`" }
    }
    if {![llength [lsearch -all -inline -index 0 [section $blocks Examples] code]]} {
        fail $where "no example in the \"## Examples\" section"
    }
    if {[string first "../user-guide.md" [readFile $file]] < 0} { fail $where "no link to the user guide" }
    if {[string match *TODO* [readFile $file]]} { fail $where "the page still says TODO" }
}

# ---------------------------------------------------------------------------
# examples: run the sessions of a page in a fresh boardsh.

# The output of each command, in order, from a child boardsh started in a
# temporary folder with the parameters at their defaults.
proc ::docs::runCommands {commands} {
    set base [expr {[info exists ::env(TMPDIR)] ? $::env(TMPDIR) : "/tmp"}]
    set folder [file join $base zem-docs-[pid]-[clock microseconds]]
    file mkdir $folder
    set saved [pwd]
    set environment {}
    foreach name [array names ::env ZEM_*] {
        dict set environment $name $::env($name)
        unset ::env($name)
    }
    try {
        cd $folder
        set child [open |[list [info nameofexecutable] $::docs::runner 2>@1] r+]
        puts -nonewline $child $commands
        close $child write
        set output [read $child]
        close $child
    } finally {
        cd $saved
        file delete -force $folder
        dict for {name value} $environment { set ::env($name) $value }
    }
    set outputs [lrange [split [string map [list \x1e\n \x1e] $output] \x1e] 0 end-1]
    if {[llength $outputs] != [llength $commands]} {
        error "the examples stopped after [llength $outputs] of [llength $commands] commands:\n$output"
    }
    return [lmap text $outputs { normalise $text }]
}

proc ::docs::normalise {text} {
    return [join [lmap line [split [string trimright $text \n] \n] { string trimright $line }] \n]
}

# Runs the sessions of a page; with update, writes the outputs into it.
proc ::docs::examples {file update} {
    set blocks [parsePage [readFile $file]]
    set commands {}
    foreach block $blocks {
        if {![isSession $block]} continue
        foreach entry [parseSession [lindex $block 2]] { lappend commands [lindex $entry 0] }
    }
    if {![llength $commands]} return
    set outputs [runCommands $commands]
    set i 0
    set rewritten {}
    foreach block $blocks {
        if {[isSession $block]} {
            set entries {}
            set line [lindex $block 1]
            foreach entry [parseSession [lindex $block 2]] {
                lassign $entry command expected blanks
                set actual [lindex $outputs $i]
                incr i
                if {[string first $::docs::root $actual] >= 0} {
                    fail [relative $file]:$line "the output of \"[lindex [split $command \n] 0]\" names a path of this machine"
                }
                if {$actual ne [normalise $expected] && !$update} {
                    fail [relative $file]:$line "the output of \"[lindex [split $command \n] 0]\" differs:\nshown:\n$expected\nnow:\n$actual"
                }
                lappend entries [list $command $actual $blanks]
            }
            lset block 2 [renderSession $entries]
        }
        lappend rewritten $block
    }
    if {$update} { writeFileIfChanged $file [renderPage $rewritten] }
}

proc ::docs::writeFileIfChanged {file text} {
    if {[readFile $file] ne $text} { writeFile $file $text }
}

# The usage block of a command page, from help.
proc ::docs::updateUsage {file} {
    foreach candidate [commands] {
        if {[simpleName $candidate] eq [file rootname [file tail $file]]} { set name $candidate }
    }
    set blocks [parsePage [readFile $file]]
    set inUsage 0
    set rewritten {}
    foreach block $blocks {
        lassign $block kind start body
        if {$kind eq "text"} {
            foreach line $body {
                if {[string match "## *" $line]} { set inUsage [expr {$line eq "## Usage"}] }
            }
        } elseif {$inUsage} {
            lset block 2 [split [usageText $name] \n]
            set inUsage 0
        }
        lappend rewritten $block
    }
    writeFileIfChanged $file [renderPage $rewritten]
}

proc ::docs::allPages {} {
    variable root
    variable examplePages
    set pages [lmap page $examplePages { file join $root $page }]
    return [concat $pages [lsort [glob -directory [file join $root docs commands] *.md]]]
}

# ---------------------------------------------------------------------------
# new: the skeleton of a command's page.

proc ::docs::newPage {simple} {
    set name ""
    foreach candidate [commands] {
        if {[simpleName $candidate] eq $simple} { set name $candidate }
    }
    if {$name eq ""} { error "no command named $simple is registered in this shell" }
    set file [pageFile $name]
    if {[file exists $file]} { error "[relative $file] exists already" }
    set usage [usageText $name]
    set rows [lmap word [usageWords $usage] { string cat "| `$word` | TODO | TODO |" }]
    writeFile $file [join [list "# $simple" "" "TODO: what $name answers, in one paragraph." \
        "" "## Usage" "" "```" $usage "```" "" "## Options" "" "| option | takes | meaning |" "|---|---|---|" \
        {*}$rows "" {`-quiet` and `-help`: see [common options](../user-guide.md#common-options).} "" \
        "## Examples" "" "```" "% [callName $name]" "```" ""] \n]
    puts "wrote [relative $file]: fill in the TODOs, then run boardsh docs/tools/docs.tcl update"
}

# ---------------------------------------------------------------------------
# man: a page as a man page (section n, as Tcl's own), from the same text.

proc ::docs::manText {text} {
    set text [string map {\\ \\e} $text]
    regsub -all {\[([^\]]*)\]\([^)]*\)} $text {\1} text
    set result ""
    set at 0
    foreach span [regexp -all -inline -indices {`[^`]*`} $text] {
        lassign $span first last
        append result [manEmphasis [string range $text $at $first-1]]
        # Dashes in code are minus signs, so that a copied option works;
        # \% keeps the code from being hyphenated.
        append result "\\fB\\%[string map {- \\-} [string range $text $first+1 $last-1]]\\fR"
        set at [expr {$last + 1}]
    }
    return "$result[manEmphasis [string range $text $at end]]"
}

proc ::docs::manEmphasis {text} {
    regsub -all {\*\*([^*]+)\*\*} $text {\\fB\1\\fR} text
    regsub -all {(^|[\s(])\*([^*\s][^*]*)\*} $text {\1\\fI\2\\fR} text
    return $text
}

proc ::docs::manLine {line} {
    set line [manText $line]
    if {[string match {[.']*} $line]} { set line "\\&$line" }
    return $line
}

proc ::docs::man {output page version} {
    set blocks [parsePage [readFile $page]]
    # The page's name is the file's; its description the command's own
    # (the first line of its usage) or the page's title.
    set name [file rootname [file tail $output]]
    set caption [string range [lindex $blocks 0 2 0] 2 end]
    set usage [lsearch -inline -index 0 [section $blocks Usage] code]
    if {$usage ne ""} { regexp { - (.*)$} [lindex $usage 2 0] -> caption }
    set lines [list ".TH $name n $version zem \"Board commands\"" ".SH NAME" "[manText $name] \\- [manText $caption]"]
    foreach block $blocks {
        lassign $block kind start body
        if {$kind eq "code"} {
            lappend lines ".RS 4" .nf
            foreach line $body {
                set line [string map {\\ \\e - \\-} $line]
                if {[string match {[.']*} $line]} { set line "\\&$line" }
                lappend lines $line
            }
            lappend lines .fi .RE
            continue
        }
        set paragraph 1
        set tableHeader {}
        foreach line $body {
            if {[string match "# *" $line]} continue
            if {[string match "## *" $line] || [string match "### *" $line]} {
                set heading [string toupper [string trimleft $line "# "]]
                lappend lines [expr {[string match "## *" $line] ? ".SH" : ".SS"} ]\ \"[manText $heading]\"
                set paragraph 1
            } elseif {[string trim $line] eq ""} {
                set paragraph 1
                set tableHeader {}
            } elseif {[regexp {^\|[-|: ]+\|$} $line]} {
                continue
            } elseif {[string match "|*|" $line]} {
                # "\|" is a bar inside a cell.
                set row [string map {\\| \x04} [string range $line 1 end-1]]
                set cells [lmap cell [split $row |] { string map {\x04 |} [string trim $cell] }]
                if {![llength $tableHeader]} {
                    set tableHeader $cells
                    continue
                }
                # A row is a tagged paragraph: the first cell, with the
                # second in a table of three or more, as the tag.
                set tag [lindex $cells 0]
                set body [lrange $cells 1 end]
                if {[llength $cells] > 2} {
                    set tag "$tag \x03 [lindex $cells 1]"
                    set body [lrange $cells 2 end]
                }
                lappend lines .TP [string map {\x03 \\(em} [manLine $tag]] [manLine [join $body {; }]]
                set paragraph 0
            } elseif {[regexp {^\s*[-*] (.*)$} $line -> item]} {
                lappend lines ".IP \\(bu 2" [manLine $item]
                set paragraph 0
            } else {
                if {$paragraph} { lappend lines .PP }
                set paragraph 0
                lappend lines [manLine [string trim $line]]
            }
        }
    }
    writeFile $output "[join $lines \n]\n"
}

# ---------------------------------------------------------------------------

proc ::docs::main {arguments} {
    variable failures
    set arguments [lassign $arguments action]
    switch -- $action {
        check { check }
        examples {
            foreach page $arguments { examples [file normalize $page] 0 }
        }
        update {
            set pages [expr {[llength $arguments] ? [lmap page $arguments { file normalize $page }] : [allPages]}]
            foreach page $pages {
                set before [readFile $page]
                if {[file dirname $page] eq [file dirname [pageFile x]]} { updateUsage $page }
                examples $page 1
                if {[readFile $page] ne $before} { puts "updated [relative $page]" }
            }
        }
        new { newPage [lindex $arguments 0] }
        man { man {*}$arguments }
        default {
            puts stderr "usage: docs.tcl check | examples PAGE... | update ?PAGE...? | new NAME | man OUTPUT PAGE VERSION"
            exit 2
        }
    }
    if {$failures} {
        puts stderr "[expr {$failures == 1 ? "1 finding" : "$failures findings"}]; \"boardsh docs/tools/docs.tcl update\" rewrites usages and outputs"
        exit 1
    }
}

# Sourced by another script, it only defines the procedures.
if {[file normalize $::argv0] eq [file normalize [info script]]} { ::docs::main $argv }
