// Filter expressions on any text: built, and evaluated on objects of a
// class with a property of each type, case-blind or not, with unknown
// properties as errors or as empty.
#include <tcl.h>

#include "fuzz_support.h"
#include "HCPProperty.h"
#include "HCPTclFilterMatch.h"
#include "HTCErrors.h"
#include "tclany.h"

namespace {

struct Item {
    std::string name;
    bool enabled;
    long long index;
    double power;
    std::string getName() const { return name; }
};

void registerItem() {
    static const bool done = [] {
        using Type = HCPProperty::Type;
        auto& info = HCPProperty::registerClass<Item>("fuzz_item");
        HCPProperty::addProperty<Item>(info, "NAME", Type::String, "", [](const Item& i) { return HCPValue(i.name); });
        HCPProperty::addProperty<Item>(info, "IS_ENABLED", Type::Bool, "",
                                       [](const Item& i) { return HCPValue(i.enabled); });
        HCPProperty::addProperty<Item>(info, "INDEX", Type::Int, "", [](const Item& i) { return HCPValue(i.index); });
        HCPProperty::addProperty<Item>(info, "POWER", Type::Double, "",
                                       [](const Item& i) { return HCPValue(i.power); });
        HCPProperty::addProperty<Item>(info, "EMPTY", Type::String, "", [](const Item&) { return HCPValue(); });
        return true;
    }();
    (void)done;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    registerItem();
    if (size == 0) return 0;
    const bool nocase = data[0] & 1;
    const bool ignoreUnknown = data[0] & 2;
    const std::string expression(reinterpret_cast<const char*>(data) + 1, size - 1);
    static Item items[] = {{"led_0", false, 0, 0.5}, {"GPIO_SW", true, -10, 1e300}, {"", true, 1, 0}};
    try {
        const HCPTclFilterMatch filter(expression, nullptr, nocase, ignoreUnknown);
        for (Item& item : items) filter.match(tov::tcltasks::tclany(&item));
        filter.match(tov::tcltasks::tclany(std::string("text")));
    } catch (const HTCErrors::error&) {
    }
    return 0;
}
