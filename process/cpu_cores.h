#pragma once

// How many cores this process may run on: the online cores in its CPU
// affinity mask (a container or taskset may give it fewer than the machine
// has), at least 1.
int OnlineCores();

// Threads for one tool's decoder or encoder: the online cores, capped at 8.
// Beyond that libavcodec's frame and slice threads gain little at the sizes
// this program writes, and every decoder thread holds frames of its own.
int CodecThreads();
