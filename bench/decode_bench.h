#pragma once
// aismon-bench decode FILE [--repeat N]
int RunDecodeBench(int argc, char** argv);
