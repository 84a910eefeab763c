#pragma once

namespace Netrove::Bench {

// netrove-bench --batch: N factory-new cameras, all at 192.168.1.64, listed by one search of the
// engine; new addresses chosen from the network's .2 upwards, pinged as the Batch Setting dialog
// pings them; then the batch, from the moment OK would be pressed until every device is checked.
// Prints one CSV line per run (n,mode,confirmed,failed,probe_ms,apply_ms,verify_ms,total_ms,
// max_stall_ms): mode "factory" has every camera answer, "silent" has `silent` of them never answer
// the setting request.
void PrintBatchHeader();
void RunBatch(int devices, int silent);

} // namespace Netrove::Bench
