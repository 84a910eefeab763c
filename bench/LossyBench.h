#pragma once

namespace Netrove::Bench {

// netrove-bench --lossy: N cameras whose answers are lost at random (loss=PERCENT), searched
// `searches` times by the engine; one CSV line per loss rate (n,loss_percent,searches,mean_listed,
// fewest_listed,missed,sends_mean).
void PrintLossyHeader();
void RunLossy(int devices, int lossPercent, int searches);

// netrove-bench --restart: netrove-cli as a user runs it against cameras that restart after their
// change, silent meanwhile: `set` on one camera silent for 40 s, `set-many` on 30 cameras silent for
// 20 to 40 s each. One CSV line per run (command,devices,now_at,exit_code,seconds).
void PrintRestartHeader();
void RunRestart();

} // namespace Netrove::Bench
