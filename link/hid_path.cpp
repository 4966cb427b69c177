#include "link/hid_path.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

std::string MakeHidPath(std::string_view node, uint16_t vendorId, uint16_t productId,
                        uint16_t interfaceNumber, uint16_t collectionNumber,
                        std::string_view instance) {
    char ids[64];
    std::snprintf(ids, sizeof ids, "#vid_%04x&pid_%04x&mi_%02x", vendorId, productId,
                  interfaceNumber);
    std::string path(node);
    path += ids;
    if (collectionNumber != 0) {
        char col[16];
        std::snprintf(col, sizeof col, "&col%02x", collectionNumber);
        path += col;
    }
    if (!instance.empty()) {
        path += "&hid_";
        path += instance;
    }
    return path;
}

std::string HidPathInstance(std::string_view path) {
    const size_t at = path.rfind("&hid_");
    return at == std::string_view::npos ? std::string() : std::string(path.substr(at + 5));
}

uint16_t HidPathNumber(std::string_view path, std::string_view key) {
    auto lowerEq = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    };
    auto it = std::search(path.begin(), path.end(), key.begin(), key.end(), lowerEq);
    if (it == path.end()) return 0;
    unsigned value = 0;
    for (it += static_cast<std::ptrdiff_t>(key.size()); it != path.end(); ++it) {
        const int c = std::tolower(static_cast<unsigned char>(*it));
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else {
            break;
        }
        value = ((value << 4) | static_cast<unsigned>(digit)) & 0xFFFFu;
    }
    return static_cast<uint16_t>(value);
}

std::string_view HidPathNode(std::string_view path) {
    const size_t hash = path.find('#');
    return hash == std::string_view::npos ? path : path.substr(0, hash);
}
