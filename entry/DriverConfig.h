// The library's one exported function: opens the template window for the driver tree
// under `rootPath`. Returns 1, or 0 when the window object could not be made.
#pragma once

extern "C" int DriverConfig(int ignored, const char* rootPath, const char* moduleName,
                            const char* extraText);
