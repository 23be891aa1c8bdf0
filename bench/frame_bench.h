#pragma once
// aismon-bench frame [--size WxH] [--ships N] [--home DIR] [--frames N]
int RunFrameBench(int argc, char** argv);
