#include "config/settings.h"

// Placeholder until the loader lands: defaults only.
Settings settings;

void loadSettings() {}

void sanitiseSettings() {}
