#pragma once
// How much memory this process can still obtain and fill, checked before a large block is
// allocated. With overcommit a huge allocation can succeed and the process is killed later
// while writing to it, so the size is compared with what the system can back instead.

#include <cstdint>

namespace cz {

// The smallest of: the system's available memory plus free swap (/proc/meminfo), what the
// process's address-space and data limits (RLIMIT_AS, RLIMIT_DATA) still leave, and what the
// memory limit of its control group still leaves. A source that cannot be read does not
// limit. Reads a few small files; allocates nothing large and touches no memory.
std::uint64_t ObtainableMemoryBytes();

}  // namespace cz
