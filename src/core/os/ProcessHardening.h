#pragma once

namespace velmora {

// Keeps the secrets in this process's memory out of core dumps and away from debuggers of the
// same user: no core file is written, and no other process may attach. Called first thing.
void HardenProcess();

} // namespace velmora
