#pragma once

#include <string>

#include <sys/types.h>

namespace Quorvane {

// The name of a spill folder of the run with process id pid: "quorvane-PID-UNIQUE".
std::string spillFolderName(pid_t pid, unsigned unique);

// Removes, through the descriptor of the temporary root, what runs killed before they could
// clean up (SIGKILL, a crash) left there: the caller's own spill folders named for a process
// that is gone and locked by no run.
void removeStaleSpillFolders(int root);

} // namespace Quorvane
