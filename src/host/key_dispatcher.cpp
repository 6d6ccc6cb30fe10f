#include "host/key_dispatcher.h"

// Placeholder until the dispatcher lands.
void dispatchKeys() {}
