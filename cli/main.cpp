// lettermorph-cli: the recoder for files and pipes. Everything but the process's own setup
// is in the cli library, where the tests reach it too.

#include <clocale>
#include <csignal>

#include "cli/program.h"
#include "system/program_arguments.h"

int main(int argc, char** argv) {
  // settings.ini is in the locale's character set, as the program itself reads it.
  std::setlocale(LC_ALL, "");
#ifdef SIGPIPE
  // A closed pipe then shows as a failed write, reported like any other.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  return lettermorph::RunProgram(lettermorph::ProgramArguments(argc, argv));
}
