#pragma once

// The tool wipes its secrets with the core's helpers, as the program does.
#include "vault/Secret.h"
