// main.cpp: qiva-update-sign, the maker's tool for signing published installers (see
// UpdateSignTool.h for its commands).
#include <iostream>
#include <string>
#include <vector>

#include "update/tools/UpdateSignTool.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return qiva::update::RunUpdateSignTool(args, std::cout, std::cerr);
}
