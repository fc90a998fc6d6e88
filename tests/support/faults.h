// Failing file calls, for tests. The test executable defines the file calls
// the program makes (open, stat, fstat, flock, pread, pwrite, ftruncate,
// fdatasync, fsync, close, unlink, mkdir, rename, renameat2) and passes each
// on to the next definition: libc's, or a sanitizer's in front of it. Before
// it does, it counts the call and asks the plan armed here whether the call
// fails with an errno instead, or ends the process as a kill would; after it,
// the power-cut model logs what was done (tests/support/powercut.h). The
// program's file layer turns the errno into its own code as it does for a
// real failure: EACCES into erraccessdenied, ENOSPC into errdiskfull, EIO
// into errdeviceio.
//
//   faults::arm(3, EIO);  // the third file call from now fails
//   command();
//   if (faults::fired()) ...; faults::disarm();
#pragma once

#include <cerrno>

namespace testsupport::faults {

// The calls an arming may count instead of all of them.
enum class Call {
  any,
  open,   // open
  read,   // pread
  write,  // pwrite
  close,  // close: the descriptor is closed all the same, as Linux does
};

// The nth call of the kind from now fails with errno error.
void arm(long nth, int error, Call kind = Call::any);
// As arm, but when the nth call is a write, it puts half of its bytes on the
// disk and returns their count; the write that continues it fails with error,
// as on a disk that has become full.
void armshort(long nth, int error, Call kind = Call::any);
// As arm, and every call after the nth fails as well: a disk that has gone.
void armfrom(long nth, int error);

// How much of a write reaches the file when the process dies in it.
enum class Tear {
  half,          // half of its bytes: a write torn anywhere
  pageboundary,  // the bytes before the last 4 KiB page boundary it crosses,
                 // none when it crosses none: what a killed process leaves
};
// The nth call from now ends the process with deathstatus before it is
// made; a write first puts the part that tear says on the disk. For tests in
// a child process.
inline constexpr int deathstatus = 86;
void armdeath(long nth, Tear tear = Tear::half);

void disarm();
// Calls of the armed kind counted since the last arming or disarming.
long calls();
// True once the armed fault has fired.
bool fired();

// Benchmarks measure what syncing costs: while set, fdatasync and fsync
// return at once.
void skipsyncs(bool skip);

}  // namespace testsupport::faults
