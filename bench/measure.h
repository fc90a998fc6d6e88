// Measuring in a child process, so that a figure such as peak memory is the
// measured work's alone and not the benchmark's.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace bench {

// Starts this program again as "program args... fd", where fd is the write end
// of a pipe, and gives the one Result the child sends back with sendback;
// nullopt when it sent none. After the exec the child's peak memory is its own.
template <class Result>
std::optional<Result> runagain(const char* program, const std::vector<std::string>& args) {
  int channel[2];
  if (pipe(channel) != 0) return std::nullopt;
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    std::vector<std::string> words{program};
    words.insert(words.end(), args.begin(), args.end());
    words.push_back(std::to_string(channel[1]));
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    execv("/proc/self/exe", argv.data());
    _exit(1);
  }
  close(channel[1]);
  Result result{};
  const bool got = child > 0 && read(channel[0], &result, sizeof result) == sizeof result;
  close(channel[0]);
  if (child > 0) waitpid(child, nullptr, 0);
  return got ? std::optional<Result>(result) : std::nullopt;
}

// The child's side of runagain: true when the result went out whole.
template <class Result>
bool sendback(int fd, const Result& result) {
  return write(fd, &result, sizeof result) == static_cast<ssize_t>(sizeof result);
}

// The processor time this thread has used, in ms: what a click costs the
// program itself, apart from the X server and the machine's other work.
inline double threadcpums() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Runs work in a forked child and gives its peak resident set in MiB, or -1
// when the child failed. The child starts with the parent's pages, so the
// parent keeps nothing large.
inline double childpeakmib(const std::function<void()>& work) {
  const pid_t child = fork();
  if (child == 0) {
    work();
    _exit(0);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) != child) return -1;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace bench
