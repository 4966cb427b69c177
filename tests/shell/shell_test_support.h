// Helpers of the desktop application's tests.
#pragma once

#include <QString>

#include <functional>
#include <string>

// Points XDG_DATA_HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR at a fresh
// temporary folder; returns it.
std::string UseTemporaryUserFolders();
// Serves the event loop until `done` holds or `ms` have passed; returns `done()`.
bool WaitFor(const std::function<bool()>& done, int ms = 5000);
// Serves the event loop for `ms`.
void Pump(int ms);
