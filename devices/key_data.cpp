#include "devices/key_data.h"

KeyDataMessage MessageForKeyData(int r, KeyDataPath path, uint8_t capacityUnits) {
    if (r == 0)
        return {};
    if (r == -1)
        return {kMessageWriteFailed, false, 0};
    if (path == KeyDataPath::kEdit)
        return {kMessageMacrosTooLarge, true, r - 64};
    const int capacity = 128 * static_cast<int>(capacityUnits);
    if (4 * r > capacity)
        return {kMessageMacrosTooLarge, true, (r - capacity) / 4 + 1};
    return {kMessageTooManyActions, true, r - 250};
}
