// What an install leaves in the settings key: the program's own starting
// values, each written only where the key holds no value of that name, so
// that a value a user has (whatever its type) is never replaced.
#ifndef STARTING_VALUES_H
#define STARTING_VALUES_H

#include <windows.h>

// Adds the missing values to the existing settings key.  ERROR_SUCCESS with
// *added counting them, or the registry's error (values added before it
// stay).
LONG StoreMissingStartingValues(int *added);

#endif
