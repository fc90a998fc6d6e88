#include "tests/support/faults.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <string>

#include "tests/support/powercut.h"

namespace testsupport::faults {

namespace {

struct Plan {
  long countdown = 0;  // 0: disarmed
  Call kind = Call::any;
  int error = 0;
  bool shortwrite = false;
  bool onward = false;  // every call after the one that fired fails too
  bool death = false;   // the call ends the process instead of failing
  Tear tear = Tear::half;
  bool fired = false;
  bool retryfails = false;  // the write that continues a short one
  long calls = 0;
} plan;

bool syncsskipped = false;

// The layer's own calls, and the power-cut model's, pass straight on.
thread_local bool inside = false;

struct Own {
  Own() { inside = true; }
  ~Own() { inside = false; }
  Own(const Own&) = delete;
  Own& operator=(const Own&) = delete;
};

constexpr int64_t pagesize = 4096;

enum class Verdict { passon, fail, shortwrite, die };

// Counts one call; what the plan makes of it. A call that must end the
// process ends it here, unless it is a write, which first puts its torn part
// on the disk.
Verdict judge(Call kind) {
  if (inside || (plan.kind != Call::any && plan.kind != kind)) return Verdict::passon;
  ++plan.calls;
  if (kind == Call::write && plan.retryfails) {
    plan.retryfails = false;
    return Verdict::fail;
  }
  if (plan.onward && plan.fired) return Verdict::fail;
  if (plan.countdown == 0 || --plan.countdown > 0) return Verdict::passon;
  plan.fired = true;
  if (plan.death && kind != Call::write) ::_exit(deathstatus);
  if (plan.death) return Verdict::die;
  return plan.shortwrite && kind == Call::write ? Verdict::shortwrite : Verdict::fail;
}

int failed() {
  errno = plan.error;
  return -1;
}

// The bytes of a write of count bytes at offset that a process dying in it
// leaves on the disk.
std::size_t tornlength(int64_t offset, std::size_t count) {
  if (plan.tear == Tear::half) return count / 2;
  const int64_t lastboundary = (offset + static_cast<int64_t>(count) - 1) / pagesize * pagesize;
  return lastboundary > offset ? static_cast<std::size_t>(lastboundary - offset) : 0;
}

// The definition a call passes on to.
template <typename Function>
Function real(const char* name) {
  return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

// Whether a call fails; errno then says why.
bool fails(Call kind = Call::any) {
  if (judge(kind) != Verdict::fail) return false;
  failed();
  return true;
}

bool syncskipped() { return syncsskipped && !inside; }

// Logs what a call did for the power-cut model.
template <typename Log>
void logged(const Log& log) {
  if (inside) return;
  const Own own;
  log();
}

}  // namespace

void arm(long nth, int error, Call kind) { plan = Plan{.countdown = nth, .kind = kind, .error = error}; }

void armshort(long nth, int error, Call kind) {
  arm(nth, error, kind);
  plan.shortwrite = true;
}

void armfrom(long nth, int error) {
  arm(nth, error);
  plan.onward = true;
}

void armdeath(long nth, Tear tear) { plan = Plan{.countdown = nth, .death = true, .tear = tear}; }

void disarm() { plan = Plan{}; }

long calls() { return plan.calls; }

bool fired() { return plan.fired; }

void skipsyncs(bool skip) { syncsskipped = skip; }

}  // namespace testsupport::faults

namespace faults = testsupport::faults;
namespace powercut = testsupport::powercut;
using Kind = powercut::Event::Kind;

// A write the plan lets through, shortens, or ends the process in.
extern "C" ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset) {
  static const auto next = faults::real<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
  const faults::Verdict verdict = faults::judge(faults::Call::write);
  std::size_t part = count;
  if (verdict == faults::Verdict::die) part = faults::tornlength(offset, count);
  if (verdict == faults::Verdict::shortwrite) part = count / 2;
  if (verdict == faults::Verdict::fail || (verdict == faults::Verdict::shortwrite && part == 0))
    return faults::failed();
  const ssize_t done = part > 0 ? next(fd, buffer, part, offset) : 0;
  if (done > 0)
    faults::logged([&] {
      powercut::note(fd, Kind::write, offset,
                     std::string(static_cast<const char*>(buffer), static_cast<std::size_t>(done)));
    });
  if (verdict == faults::Verdict::die) ::_exit(faults::deathstatus);
  faults::plan.retryfails = verdict == faults::Verdict::shortwrite;
  return done;
}

extern "C" int close(int fd) {
  static const auto next = faults::real<int (*)(int)>("close");
  const bool failing = faults::fails(faults::Call::close);
  const int done = next(fd);
  return failing ? -1 : done;
}

extern "C" int open(const char* path, int flags, ...) {
  static const auto next = faults::real<int (*)(const char*, int, ...)>("open");
  mode_t mode = 0;
  if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
    va_list rest;
    va_start(rest, flags);
    mode = va_arg(rest, mode_t);
    va_end(rest);
  }
  return faults::fails(faults::Call::open) ? -1 : next(path, flags, mode);
}

// A call the plan may fail, else passed on.
#define MIXOLINO_FAILABLE(result, name, params, args, call)         \
  extern "C" result name params {                                   \
    static const auto next = faults::real<result(*) params>(#name); \
    return faults::fails(faults::Call::call) ? -1 : next args;      \
  }
MIXOLINO_FAILABLE(ssize_t, pread, (int fd, void* buffer, size_t count, off_t offset), (fd, buffer, count, offset), read)
MIXOLINO_FAILABLE(int, stat, (const char* path, struct stat* info), (path, info), any)
MIXOLINO_FAILABLE(int, fstat, (int fd, struct stat* info), (fd, info), any)
MIXOLINO_FAILABLE(int, flock, (int fd, int operation), (fd, operation), any)

// A call the plan may fail, else passed on and, when done, logged.
#define MIXOLINO_LOGGED(name, params, args, log)                 \
  extern "C" int name params {                                   \
    static const auto next = faults::real<int(*) params>(#name); \
    if (faults::fails()) return -1;                              \
    const int done = next args;                                  \
    if (done == 0) faults::logged([&] { log; });                 \
    return done;                                                 \
  }
MIXOLINO_LOGGED(ftruncate, (int fd, off_t length), (fd, length), powercut::note(fd, Kind::truncate, length, {}))
MIXOLINO_LOGGED(unlink, (const char* path), (path), powercut::notefolder(Kind::remove, path))
MIXOLINO_LOGGED(mkdir, (const char* path, mode_t mode), (path, mode), powercut::notefolder(Kind::makefolder, path))
MIXOLINO_LOGGED(rename, (const char* from, const char* to), (from, to), powercut::notefolder(Kind::rename, from, to))
MIXOLINO_LOGGED(renameat2, (int fromfolder, const char* from, int tofolder, const char* to, unsigned flags),
                (fromfolder, from, tofolder, to, flags),
                powercut::notefolder((flags & RENAME_EXCHANGE) != 0 ? Kind::exchange : Kind::rename, from, to))

// A sync that a benchmark skips is neither made nor logged.
#define MIXOLINO_SYNC(name)                                                        \
  extern "C" int name(int fd) {                                                    \
    static const auto next = faults::real<int (*)(int)>(#name);                    \
    if (faults::fails()) return -1;                                                \
    if (faults::syncskipped()) return 0;                                           \
    const int done = next(fd);                                                     \
    if (done == 0) faults::logged([&] { powercut::note(fd, Kind::sync, 0, {}); }); \
    return done;                                                                   \
  }
MIXOLINO_SYNC(fdatasync)
MIXOLINO_SYNC(fsync)
