#include "devices/key_table_image.h"

#include <algorithm>

#include "devices/key_codes.h"

std::optional<size_t> KeyPositions::Of(size_t key) const {
    if (key >= map.size() || map[key] == none || map[key] >= count)
        return std::nullopt;
    return map[key];
}

KeyTablePlan PlanKeyTable(std::span<const KeyEntry> keys, const KeyPositions& positions,
                          size_t macroCount) {
    KeyTablePlan plan;
    for (size_t k = 0; k < keys.size(); ++k) {
        const std::optional<size_t> position = positions.Of(k);
        if (!position)
            continue;
        KeyAssignment sent = keys[k].current;
        if (IsMacroAssignment(sent)) {
            if (sent.param1 < macroCount) {
                const int library = sent.param1;
                auto slot = std::find(plan.macroSlots.begin(), plan.macroSlots.end(), library);
                if (slot == plan.macroSlots.end())
                    slot = plan.macroSlots.insert(plan.macroSlots.end(), library);
                sent.param1 = static_cast<uint8_t>(slot - plan.macroSlots.begin());
            } else {
                sent = keys[k].defaultAssignment;
            }
        }
        plan.placed.push_back({k, *position, sent});
    }
    return plan;
}

std::vector<int> MacroSlotOrder(std::span<const KeyEntry> keys, const KeyPositions& positions,
                                size_t macroCount) {
    return PlanKeyTable(keys, positions, macroCount).macroSlots;
}

std::vector<uint8_t> BuildKeyTableImage(std::span<const KeyEntry> keys,
                                        const KeyPositions& positions, size_t macroCount,
                                        std::span<const uint8_t> lastKnown) {
    std::vector<uint8_t> image(positions.count * 3, 0);
    std::copy_n(lastKnown.begin(), std::min(lastKnown.size(), image.size()), image.begin());
    for (const PlacedKey& p : PlanKeyTable(keys, positions, macroCount).placed) {
        uint8_t* bytes = image.data() + p.position * 3;
        bytes[0] = p.sent.category;
        bytes[1] = p.sent.param1;
        bytes[2] = p.sent.param2;
    }
    return image;
}
