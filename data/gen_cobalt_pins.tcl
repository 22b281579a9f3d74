#!/usr/bin/env tclsh
# Writes the pin file of cobalt_x4's FPGA (boards/acme.com/cobalt_x4/2.0/part0_pins.xml):
# the pins that the board file wires (indexes 0 to 80, which board.xml and the
# tests name), then the unwired banks that make it a part of realistic size:
# differential pairs of a mezzanine connector, an HDMI transmitter, user banks
# at three voltages and a user clock.
#
#   tclsh data/gen_cobalt_pins.tcl ?FILE?
#
# Balls lie on the 22 x 22 grid of the fb484 package, rows A to AB without
# I, O, Q, S, X and Z; pin i gets row (i + 12) mod 22 and a column that steps
# by three, so that neighbouring pins land far apart and no ball is used twice.
package require Tcl 8.6

set out [expr {$argc ? [lindex $argv 0]
               : [file join [file dirname [info script]] boards acme.com cobalt_x4 2.0 part0_pins.xml]}]

set rows {A B C D E F G H J K L M N P R T U V W Y AA AB}
proc ball {i} {
    set row [lindex $::rows [expr {($i + 12) % 22}]]
    return $row[expr {(14 + 3 * $i + ($i + 12) / 22) % 22 + 1}]
}

# Attribute sets, written in this order after index, name and loc.
set io {
    dq      {iostandard SSTL15 slew FAST output_impedance OHM_40 odt RTT_40 ibuf_low_pwr FALSE}
    dqs     {iostandard DIFF_SSTL15 slew FAST output_impedance OHM_40 odt RTT_40 dqs_bias TRUE}
    cmd     {iostandard SSTL15 slew FAST output_impedance OHM_40}
    ck      {iostandard DIFF_SSTL15 slew FAST output_impedance OHM_40}
    rst15   {iostandard LVCMOS15 drive 8 slew SLOW}
    lvds_rx {iostandard LVDS diff_term TRUE}
    led     {iostandard LVCMOS33 drive 8 slew SLOW}
    tx4     {iostandard LVCMOS33 drive 4 slew SLOW}
    in33    {iostandard LVCMOS33}
    pwm     {iostandard LVCMOS33 drive 4}
    hdr     {iostandard LVCMOS33 drive 12 slew SLOW}
    emph    {iostandard LVCMOS33 pre_emphasis MEDIUM}
    eq      {iostandard LVCMOS33 equalization LEVEL_1}
    tmds    {iostandard TMDS_33}
    io18    {iostandard LVCMOS18 drive 8 slew FAST}
    io25    {iostandard LVCMOS25 drive 12 slew SLOW}
    io33    {iostandard LVCMOS33 drive 8 slew SLOW}
    hstl    {iostandard DIFF_HSTL_II_18 diff_term TRUE}
}

# Groups of pins in index order: names, then their attribute set.
proc numbered {prefix count {suffix ""}} {
    set names {}
    for {set i 0} {$i < $count} {incr i} { lappend names $prefix$i$suffix }
    return $names
}
proc pairs {prefix count} {
    set names {}
    for {set i 0} {$i < $count} {incr i} { lappend names [format %s%02d_p $prefix $i] [format %s%02d_n $prefix $i] }
    return $names
}
set groups [list \
    [numbered ddr3_dq 16] dq \
    {ddr3_dqs_p0 ddr3_dqs_n0 ddr3_dqs_p1 ddr3_dqs_n1} dqs \
    [concat {ddr3_dm0 ddr3_dm1} [numbered ddr3_addr 14] [numbered ddr3_ba 3] \
         {ddr3_ras_n ddr3_cas_n ddr3_we_n ddr3_cke ddr3_cs_n ddr3_odt}] cmd \
    {ddr3_ck_p ddr3_ck_n} ck \
    {ddr3_reset_n} rst15 \
    {sys_clk_p sys_clk_n} lvds_rx \
    [numbered led 8] led \
    {uart_txd} tx4 \
    {uart_rxd} in33 \
    {iic_scl iic_sda} led \
    {fan_pwm} pwm \
    [numbered j5_io 16] hdr \
    {gpio_spare0} emph \
    {gpio_spare1} eq \
    [pairs fmc_la 34] lvds_rx \
    {hdmi_clk_p hdmi_clk_n hdmi_d0_p hdmi_d0_n hdmi_d1_p hdmi_d1_n hdmi_d2_p hdmi_d2_n} tmds \
    [numbered bank15_io 40] io18 \
    [numbered bank35_io 40] io25 \
    [numbered bank13_io 48] io33 \
    {user_clk_p user_clk_n} hstl]

set text "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<part_info part_name=\"ac-x4-160-fb484-2\">\n  <pins>\n"
set index 0
foreach {names set} $groups {
    set attributes ""
    foreach {key value} [dict get $io $set] { append attributes " $key=\"$value\"" }
    foreach name $names {
        append text "    <pin index=\"$index\" name=\"$name\" loc=\"[ball $index]\"$attributes/>\n"
        incr index
    }
}
append text "  </pins>\n</part_info>\n"
if {$index > 22 * 22} { error "$index pins do not fit the 484 balls of the package" }

set f [open $out w]
fconfigure $f -translation lf -encoding utf-8
puts -nonewline $f $text
close $f
puts "$out: $index pins"
