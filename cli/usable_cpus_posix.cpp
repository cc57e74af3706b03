// The CPUs of the affinity mask, which may be fewer than the machine's.
#include "cli/usable_cpus_posix.h"

#include <sched.h>

#include <thread>

unsigned UsableCpuCount() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) {
        const int count = CPU_COUNT(&allowed);
        if (count > 0) return static_cast<unsigned>(count);
    }
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? cores : 1;
}
