#pragma once

namespace Netrove::Bench {

// netrove-bench --onvif: N cameras of other makers answering ONVIF WS-Discovery within their random
// 0-500 ms, and M of ours answering all at once, listed by one search of the engine: every device
// once, the CPU time per ProbeMatch (from a run of the ONVIF cameras alone) and the longest stall.
// One CSV line per run (mode,onvif,ours,rows,probe_matches,cpu_us_per_match,max_stall_ms).
void PrintOnvifHeader();
void RunOnvif(int onvifCameras, int ourCameras);

} // namespace Netrove::Bench
