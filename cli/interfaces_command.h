#pragma once

#include <cstdio>

// Lists the entries of the interface list that one discovery pass claimed:
// index, ids, interface and collection numbers, device type, role, usage page
// and usage, path. With `json`, a JSON array of objects with the integers
// "index", "vendor_id", "product_id", "interface", "collection", "type",
// "role", "usage_page", "usage" and the string "path". Returns the exit code.
int RunInterfacesCommand(std::FILE* out, std::FILE* err, bool json = false);
