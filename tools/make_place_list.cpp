// make_place_list: writes the built-in place-name list as the file an installed program
// carries (Shift-JIS, CR LF lines), the same lines the program holds inside:
//
//   make_place_list FILE
#include <cstdio>
#include <fstream>
#include <string>

#include "app/builtin_lists.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_place_list FILE\n");
    return 2;
  }
  std::ofstream out(argv[1], std::ios::binary);
  for (const std::string& line : aismon::BuiltinMemoChimei()) out << line << "\r\n";
  out.close();
  if (!out) {
    std::fprintf(stderr, "make_place_list: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
