#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "scratch_directory.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace lettermorph {

// A program run as a process in the current directory, its standard input a pipe the test
// writes, and its output and errors caught in files. Arguments are UTF-8; on Windows they
// travel as the wide command line, as they would from a shell. The C locale on POSIX systems.
// A program that cannot be started fails the test with the reason, rather than showing as a
// program that ran and exited with some status.
class ChildProcess {
 public:
  // The status of a program that could not be started, as a shell gives it.
  static constexpr int kCannotStart = 127;

  struct Outcome {
    // The exit status; on POSIX systems 128 + the signal that ended it.
    int status = kCannotStart;
    std::string out;
    std::string err;
  };

  ChildProcess(const std::string& program, const std::vector<std::string>& arguments)
      : program_(program) {
#ifdef _WIN32
    std::wstring line = Quoted(program);
    for (const std::string& argument : arguments) {
      line += L" " + Quoted(argument);
    }
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr;
    CreatePipe(&read, &input_, &inherit, 0);
    SetHandleInformation(input_, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = read;
    const auto create = [&inherit](const wchar_t* name) {
      return CreateFileW(name, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    startup.hStdOutput = create(L".out");
    startup.hStdError = create(L".err");
    started_ = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                              &startup, &process_);
    const std::string failure = "Windows error " + std::to_string(GetLastError());
    for (HANDLE handle : {read, startup.hStdOutput, startup.hStdError, process_.hThread}) {
      if (handle != nullptr) {
        CloseHandle(handle);
      }
    }
    if (!started_) {
      ScratchDirectory::Write(".err", failure);
    }
#else
    signal(SIGPIPE, SIG_IGN);  // a program that ends early must not end the test with it
    int pipeEnds[2];
    (void)!pipe(pipeEnds);
    input_ = pipeEnds[1];
    child_ = fork();
    if (child_ == 0) {
      close(pipeEnds[1]);
      dup2(pipeEnds[0], 0);
      dup2(open(".out", O_WRONLY | O_CREAT | O_TRUNC, 0666), 1);
      dup2(open(".err", O_WRONLY | O_CREAT | O_TRUNC, 0666), 2);
      setenv("LC_ALL", "C", 1);
      std::vector<char*> argv{const_cast<char*>(program.c_str())};
      for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
      }
      argv.push_back(nullptr);
      execv(program.c_str(), argv.data());
      std::perror("execv");
      _exit(kCannotStart);
    }
    close(pipeEnds[0]);
#endif
  }

  // Writes to the program's standard input, waiting while the pipe is full.
  void Feed(const std::string& bytes) {
#ifdef _WIN32
    DWORD written = 0;
    WriteFile(input_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
#else
    (void)!write(input_, bytes.data(), bytes.size());
#endif
  }

  // Closes standard input and waits for the program to end.
  Outcome Finish() {
    int status = kCannotStart;
#ifdef _WIN32
    CloseHandle(input_);
    if (started_) {
      WaitForSingleObject(process_.hProcess, INFINITE);
      DWORD code = 0;
      GetExitCodeProcess(process_.hProcess, &code);
      CloseHandle(process_.hProcess);
      status = static_cast<int>(code);
    }
#else
    close(input_);
    int wait = 0;
    waitpid(child_, &wait, 0);
    status = WIFEXITED(wait) ? WEXITSTATUS(wait) : 128 + WTERMSIG(wait);
#endif
    Outcome outcome{status, ScratchDirectory::Read(".out"), ScratchDirectory::Read(".err")};
    if (status == kCannotStart) {
      ADD_FAILURE() << "could not start " << program_ << ": " << outcome.err;
    }
    std::filesystem::remove(".out");
    std::filesystem::remove(".err");
    return outcome;
  }

  // Ends the program at once, as a kill or the end of a session would.
  Outcome Kill() {
#ifdef _WIN32
    TerminateProcess(process_.hProcess, 137);
#else
    kill(child_, SIGKILL);
#endif
    return Finish();
  }

  // Runs the program to its end with `input` on standard input.
  static Outcome Run(const std::string& program, const std::vector<std::string>& arguments,
                     const std::string& input = "") {
    ChildProcess child(program, arguments);
    child.Feed(input);
    return child.Finish();
  }

 private:
#ifdef _WIN32
  static std::wstring Quoted(const std::string& utf8) {
    const std::filesystem::path wide = Utf8Path(utf8);
    return L"\"" + wide.native() + L"\"";
  }

  HANDLE input_ = nullptr;  // the program's standard input
  PROCESS_INFORMATION process_{};
  bool started_ = false;
#else
  int input_ = -1;  // the program's standard input
  pid_t child_ = -1;
#endif
  std::string program_;
};

}  // namespace lettermorph
