#pragma once

namespace Netrove::Bench {

// netrove-bench --filter: N cameras answering within 200 ms to a search made with a filter already
// typed; then, with all N listed, the filter typed again key by key and erased, and every column
// sorted. Prints one CSV line per size (n,mode,shown,filter_ms_median,filter_ms_max,sort_ms,
// max_stall_ms) and a note with what was heard and listed.
void PrintFilterHeader();
void RunFilter(int devices);

} // namespace Netrove::Bench
