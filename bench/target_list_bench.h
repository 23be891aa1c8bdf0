#pragma once
// aismon-bench target-list [--ships N] [--refreshes N]
int RunTargetListBench(int argc, char** argv);
