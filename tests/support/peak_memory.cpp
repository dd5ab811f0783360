// kolvo_peak_memory REPORT PROGRAM [ARGS...]
// Runs PROGRAM, waits for it, and writes "PEAK_KIB STATUS" to the file
// REPORT: the program's maximum resident set size and its exit status (128 +
// the signal number when a signal ended it). Exits with that status.
//
// The tests need this small go-between: a process started by fork() from the
// large test process counts the test's memory as its own until it calls
// exec(), so its peak would say more about the test than about the program.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 3) return 125;
  const pid_t pid = fork();
  if (pid < 0) return 126;
  if (pid == 0) {
    execvp(argv[2], argv + 2);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return 126;
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  std::FILE* report = std::fopen(argv[1], "w");
  if (report == nullptr) return 126;
  const bool written = std::fprintf(report, "%ld %d\n", usage.ru_maxrss, code) > 0;
  if (std::fclose(report) != 0 || !written) return 126;
  return code;
}
