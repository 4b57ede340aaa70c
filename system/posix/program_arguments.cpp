#include "system/program_arguments.h"

namespace lettermorph {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return {argv + (argc > 0 ? 1 : 0), argv + argc};
}

std::filesystem::path PathFromArgument(std::string_view argument) {
  return std::filesystem::path(argument);
}

}  // namespace lettermorph
