// lettermorph-cli: the recoder for files and pipes. Everything but the process's own setup
// is in the cli library, where the tests reach it too.

#include <clocale>
#include <csignal>
#include <memory_resource>

#include "cli/program.h"
#include "system/program_arguments.h"
#include "system/table_memory.h"

int main(int argc, char** argv) {
  // settings.ini is in the locale's character set, as the program itself reads it.
  std::setlocale(LC_ALL, "");
  // The decoder's word cache is read at random: large pages make that cheaper.
  std::pmr::set_default_resource(&lettermorph::TableMemory());
#ifdef SIGPIPE
  // A closed pipe then shows as a failed write, so that an unfinished output file is removed
  // before the program ends.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  const int status = lettermorph::RunProgram(lettermorph::ProgramArguments(argc, argv), {},
                                             lettermorph::AfterRun::Exit);
#ifdef SIGPIPE
  // The reader went away: end as the closed pipe would have ended the program.
  if (status == lettermorph::kReaderGoneStatus) {
    std::signal(SIGPIPE, SIG_DFL);
    std::raise(SIGPIPE);
  }
#endif
  return status;
}
