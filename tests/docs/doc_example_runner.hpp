// Runs the documentation's examples for the program extract_examples generates: each example
// in a child process of its own (so a failed assertion or a crash stops only that example),
// inside a fresh folder under the system's temporary directory, with its standard output
// collected and compared with the output the page states.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <system_error>

namespace doc_examples {

class Runner {
 public:
  Runner() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "kez-doc-XXXXXX").string();
    if (mkdtemp(tmpl.data()) == nullptr) {
      std::perror("mkdtemp");
      std::exit(1);
    }
    FRoot = tmpl;
  }
  ~Runner() {
    std::error_code ec;
    std::filesystem::remove_all(FRoot, ec);
  }
  Runner(const Runner&) = delete;
  Runner& operator=(const Runner&) = delete;

  // Runs one example; Expected is its stated standard output, or null when the page states
  // none (then only its assertions and its exit status count).
  void Run(const char* Where, const std::function<int()>& Body, const char* Expected = nullptr) {
    const auto dir = FRoot / std::to_string(++FCount);
    std::filesystem::create_directory(dir);
    int fds[2];
    if (pipe(fds) != 0) {
      std::perror("pipe");
      std::exit(1);
    }
    std::cout.flush();
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) {
      std::perror("fork");
      std::exit(1);
    }
    if (pid == 0) {
      close(fds[0]);
      dup2(fds[1], STDOUT_FILENO);
      close(fds[1]);
      alarm(60);  // an example that hangs fails instead of stopping the suite
      int rc = 1;
      if (chdir(dir.c_str()) == 0) {
        try {
          rc = Body();
        } catch (const std::exception& e) {
          std::cerr << Where << ": uncaught exception: " << e.what() << "\n";
        }
      }
      std::cout.flush();
      std::fflush(nullptr);
      _exit(rc);
    }
    close(fds[1]);
    std::string output;
    char buf[4096];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) != 0;) {
      if (n < 0) {
        if (errno == EINTR) continue;
        break;
      }
      output.append(buf, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    std::string problem;
    if (WIFSIGNALED(status)) {
      problem = std::string("stopped by signal ") + strsignal(WTERMSIG(status));
    } else if (WEXITSTATUS(status) != 0) {
      problem = "exit status " + std::to_string(WEXITSTATUS(status));
    } else if (Expected != nullptr && output != Expected) {
      problem = "output differs\n--- stated:\n" + std::string(Expected) + "--- printed:\n" + output;
    }
    if (problem.empty()) {
      ++FPassed;
    } else {
      ++FFailed;
      std::cout << Where << ": FAILED: " << problem << "\n";
    }
  }

  // The summary line; the program's exit status.
  int Finish() {
    std::cout << "doc examples: " << FPassed << " passed, " << FFailed << " failed\n";
    return FFailed == 0 && FPassed > 0 ? 0 : 1;
  }

 private:
  std::filesystem::path FRoot;
  int FCount = 0;
  int FPassed = 0;
  int FFailed = 0;
};

}  // namespace doc_examples
