// What the checks of one board know about its components' pins.
#include <functional>

#include "HBOCheckInternal.h"

namespace HBOCheck {

KeyTable::KeyTable(std::size_t count) {
    std::size_t size = 16;
    while (size < 2 * count) size *= 2;
    slots_.resize(size);
}

std::size_t KeyTable::slotOf(std::string_view key) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = std::hash<std::string_view>()(key) & mask;
    while (slots_[slot].position != npos && slots_[slot].key != key) slot = (slot + 1) & mask;
    return slot;
}

std::size_t KeyTable::firstOrAdd(std::string_view key, std::size_t position) {
    Slot& slot = slots_[slotOf(key)];
    if (slot.position == npos) slot = {key, position};
    return slot.position;
}

std::size_t KeyTable::find(std::string_view key) const { return slots_[slotOf(key)].position; }

PinLookup::PinLookup(const std::vector<HBOPinProps*>& pins) : pins_(pins), names_(pins.size()) {
    for (std::size_t i = 0; i < pins.size(); ++i) {
        names_.firstOrAdd(pins[i]->getName(), i);
        const uint32_t index = pins[i]->getPinIndex();
        if (index >= indexes_.size()) indexes_.resize(index + 1);
        indexes_[index] = true;
    }
}

HBOPinProps* PinLookup::byName(std::string_view name) const {
    const std::size_t position = names_.find(name);
    return position == KeyTable::npos ? nullptr : pins_[position];
}

const std::vector<HBOPinProps*>& BoardFacts::pins(const HBOBoardComponent& component) {
    auto found = pins_.find(&component);
    if (found == pins_.end()) {
        found = pins_.emplace(&component, ComponentPins()).first;
        component.getPinsVec(found->second.pins);
    }
    return found->second.pins;
}

const PinLookup& BoardFacts::lookup(const HBOBoardComponent& component) {
    const std::vector<HBOPinProps*>& all = pins(component);
    std::unique_ptr<PinLookup>& lookup = pins_[&component].lookup;
    if (!lookup) lookup = std::make_unique<PinLookup>(all);
    return *lookup;
}

std::optional<HBODroppedItem> BoardFacts::leftOutPinFile(const HBOBoardComponent& component) const {
    if (component.getPinMapFile().empty() || !component.arePinsLoaded()) return std::nullopt;
    for (HBODroppedItem& item : board_.getDroppedItems())
        if (item.kind == HBODroppedItem::PIN_FILE && item.name == component.getComponentName()) return std::move(item);
    return std::nullopt;
}

bool BoardFacts::pinsKnown(const HBOBoardComponent& component) {
    const bool listed = !pins(component).empty();  // reads the pin file if it was not
    return component.getPinMapFile().empty() ? listed : !pinsLeftOut(component);
}

}  // namespace HBOCheck
