// The design's names of the port bits that -port_names gives: a dict from a
// default name of a bit, or of a whole port (its bits keep their "[i]"), to
// the design's name; an empty name leaves the bit out.
#pragma once

#include <tcl.h>

#include <map>
#include <set>
#include <string>
#include <vector>

struct HBOSignalBit;

class HBOCTcPortNames {
public:
    // Throws a VALUE error of -port_names for a value that is no dict.
    HBOCTcPortNames(Tcl_Interp* interp, const std::string& dict);

    // The bit's design name; its default name when the dict has none.
    std::string of(const HBOSignalBit& bit);

    // The dict's keys that named no bit, in byte-wise order.
    std::vector<std::string> unused() const;

private:
    std::string use(std::map<std::string, std::string>::const_iterator found);

    std::map<std::string, std::string> names_;
    std::set<std::string> used_;
};
