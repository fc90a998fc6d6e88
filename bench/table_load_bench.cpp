// Load time and peak memory of db_init on table files of 10,000, 100,000 and
// 1,000,000 records, against a plain sequential read of the same file.
// Run by hand (Release build): ./table_load_bench
// Each load runs in a fresh process, so its peak memory (maxrss) is its own.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/measure.h"
#include "platform/messages.h"
#include "platform/text.h"
#include "tablestore/dbdyngrid_unit.h"

namespace {

const std::string A = "\xA1";
const std::string B = "\xBF";
constexpr int rounds = 3;

// A two-column table of count records, about 43 bytes each with its CR LF.
std::string writetable(const std::string& path, int count) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << "#DB" << A << platform::zeropadded(count, 10) << A << "A" << A << "2" << A;
  for (int i = 1; i <= count; ++i) {
    const std::string pos = platform::zeropadded(i, 10);
    out << "\r\n"
        << B << pos << B << "0" << A << pos << A << "Name" << platform::zeropadded(i % 10000000, 7) << B << "0" << B
        << "1" << B << A;
  }
  return path;
}

double seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Reads the file front to back in chunks of the reader's size.
double sequentialread(const std::string& path) {
  std::vector<char> buffer(TdbdynGrid::readbuffersize);
  const auto begin = std::chrono::steady_clock::now();
  const int fd = open(path.c_str(), O_RDONLY);
  unsigned long sum = 0;
  for (ssize_t n; (n = read(fd, buffer.data(), buffer.size())) > 0;) sum += static_cast<unsigned char>(buffer[0]);
  close(fd);
  const double took = seconds(std::chrono::steady_clock::now() - begin);
  if (sum == 0) std::printf("(empty read)\n");
  return took;
}

double cputime(const rusage& usage) {
  const auto tv = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  return tv(usage.ru_utime) + tv(usage.ru_stime);
}

struct LoadResult {
  double seconds = 0;
  double cpuseconds = 0;  // user and system time of the load
  long maxrsskb = 0;
  int rows = 0;
};

// Loads the table and writes its time, cpu time, peak memory and row count to fd.
void load(const std::string& folder, const std::string& name, int fd) {
  LoadResult result;
  TdbdynGrid table(name);
  rusage before{};
  getrusage(RUSAGE_SELF, &before);
  const auto begin = std::chrono::steady_clock::now();
  const bool ok = table.db_init(folder, {name});
  result.seconds = seconds(std::chrono::steady_clock::now() - begin);
  result.rows = ok ? table.getrowcount() : -1;
  rusage after{};
  getrusage(RUSAGE_SELF, &after);
  result.cpuseconds = cputime(after) - cputime(before);
  result.maxrsskb = after.ru_maxrss;
  (void)bench::sendback(fd, result);
}

// Loads the table in a fresh process (this program started again), so that
// its peak memory is the load's alone.
LoadResult loadinchild(const std::string& folder, const std::string& name) {
  LoadResult failed;
  failed.rows = -1;
  return bench::runagain<LoadResult>("table_load_bench", {"--load", folder, name}).value_or(failed);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--load") {
    load(argv[2], argv[3], std::atoi(argv[4]));
    return 0;
  }
  std::string pattern = (std::filesystem::temp_directory_path() / "mixolino-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return 1;
  const std::string folder = pattern + "/";

  std::printf("%10s %8s %8s %8s %8s %7s %10s %9s %9s\n", "records", "file MB", "load s", "cpu s", "read s", "ratio",
              "ns/record", "peak MB", "peak/file");
  for (const int count : {10000, 100000, 1000000}) {
    const std::string name = "c_bench" + std::to_string(count);
    const std::string path = writetable(folder + name + ".db", count);
    const double filemb = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    double load = 1e9;
    double cpu = 1e9;
    double plain = 1e9;
    long peakkb = 0;
    for (int round = 0; round < rounds; ++round) {
      plain = std::min(plain, sequentialread(path));
      const LoadResult result = loadinchild(folder, name);
      if (result.rows != count) {
        std::printf("load of %d records failed (%d rows)\n", count, result.rows);
        return 1;
      }
      load = std::min(load, result.seconds);
      cpu = std::min(cpu, result.cpuseconds);
      peakkb = std::max(peakkb, result.maxrsskb);
    }
    const double peakmb = static_cast<double>(peakkb) * 1024 / 1e6;
    std::printf("%10d %8.1f %8.4f %8.4f %8.4f %7.1f %10.1f %9.1f %9.2f\n", count, filemb, load, cpu, plain,
                load / plain, load * 1e9 / count, peakmb, peakmb / filemb);
    std::filesystem::remove(path);
  }
  std::filesystem::remove_all(pattern);
  return 0;
}
