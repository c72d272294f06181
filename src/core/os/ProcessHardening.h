#pragma once

namespace velmora {

// Keeps the secrets in this process's memory out of core dumps and away from debuggers of the
// same user: no core file is written, and no other process may attach. Called first thing.
void HardenProcess();

// Makes every file this process creates from now on readable and writable by its owner only,
// whatever the user's default: exports hold passwords in the clear.
void KeepNewFilesPrivate();

} // namespace velmora
