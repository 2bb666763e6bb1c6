#pragma once

#include "base/UserMessages.h"

// Shows every message on screen, modal over the active window. It holds nothing, so one serves
// the whole program.
UserMessages& screenMessages();
