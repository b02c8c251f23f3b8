// What this process holds in memory, as the kernel counts it (/proc/self/status): the figures
// a player's system monitor shows for the game.
#pragma once

/// Resident memory of this process now (VmRSS), in MB; -1 when it cannot be read.
double residentMegabytes();

/// The most resident memory this process has held so far (VmHWM), in MB; -1 when it cannot be
/// read.
double peakResidentMegabytes();
