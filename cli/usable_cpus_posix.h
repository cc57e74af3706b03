// How many CPUs this process may run on.
#pragma once

// The CPUs of the process's affinity mask (taskset, a container's cpuset),
// else those the machine has; at least 1.
unsigned UsableCpuCount();
