#pragma once
// aismon-bench save [--home DIR] [--repeat N]: the time of the ship database save, in
// the two steps the running program takes (images written; brought to the disk and moved
// into place) and as the one call made at close.
int RunSaveBench(int argc, char** argv);
