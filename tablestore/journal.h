// A command's changes to the table files as one unit on the disk. Before a
// table file changes, the bytes that the change overwrites or cuts off go to
// the undo journal db/journal, which is synced first; then the files change
// and are synced; then the journal is cleared. A journal found whole at the
// next start is undone, so after a power cut each command reads as wholly
// done or wholly not done. Failures of any file operation are covered the
// same way: before the journal is synced nothing was touched; after it, the
// bytes it holds are written back at once, or at the next start when even
// that fails. What it does not cover: a disk that loses synced bytes or
// reorders a sync, and changes made to the files by another program.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/file.h"
#include "tablestore/filestage.h"
#include "tablestore/journalformat.h"

namespace tablestore {

// One staged table file, as a commit takes it.
struct Stagedfile {
  std::string name;  // the file's name in the journal's folder ("c_rezepte.db")
  platform::File* file;
  const FileStage* stage;
};

// What a file held where a commit changes it: the journal's record of one
// file, which a rollback writes back.
struct Beforeimage {
  std::string name;
  int64_t oldsize = 0;
  std::vector<std::pair<int64_t, std::string>> extents;  // offset, bytes
};

// Writes the bytes back, cuts the file to its old size and syncs it.
bool rollback(platform::File& file, const Beforeimage& image);

class JournalWriter {
 public:
  explicit JournalWriter(std::string folder);
  // True when every staged change is in its file on the disk. False with
  // platform::lasterror() when not; the files then read as before the
  // commit, at once or, if even the rollback failed, after the next start.
  // Where clearing the journal failed and it cannot be written again, the
  // files hold the whole commit until the next start undoes it, or keep it
  // when the journal is gone.
  bool commit(std::span<const Stagedfile> files);
  // The name of the file whose operation failed last.
  const std::string& failedfile() const { return failedfile_; }
  // Opens or creates the journal ahead of the first commit; false with
  // platform::lasterror() when it cannot be had.
  bool open() { return openjournal() || fail(journalformat::filename); }
  // A pending journal stays on the disk for the next start to undo.
  void close() {
    journal_.reset();
    pending_ = false;
  }
  // True once a commit failed and could not undo its changes: its journal
  // waits for the next start, and no later commit may overwrite it.
  bool pending() const { return pending_; }

 private:
  bool fail(const std::string& name);
  bool openjournal();
  bool writejournal(const std::vector<Beforeimage>& images);
  bool applyandsync(std::span<const Stagedfile> files);
  bool clearjournal();
  // After a failure with the journal synced: the files as they were, and the
  // journal cleared; when even that fails, the journal stays for the next start.
  void undo(std::span<const Stagedfile> files, const std::vector<Beforeimage>& images);

  std::string folder_;
  std::unique_ptr<platform::File> journal_;
  std::string failedfile_;
  bool pending_ = false;
};

class JournalReader {
 public:
  // names: the files a journal may name, the table files; never the journal
  // itself or any other file of the folder.
  JournalReader(std::string folder, std::vector<std::string> names);
  enum class Recovery {
    done,       // nothing to undo, or undone and cleared
    failed,     // a file operation failed: platform::lasterror()
    untrusted,  // a journal not as a commit writes it: left as it is, undone nowhere
    copied,     // undoincopies: the copies hold the files as before the command
  };
  // Undoes a whole journal in its files, syncs them and clears it; a torn or
  // empty one is just cleared, unless the tables show that the commit had
  // begun writing them (untrusted). A journal that another process holds open is
  // that process's and is left alone. Only a regular file opens, never
  // through a link; one that does not open, or names another file, or
  // reaches beyond what its files held, is untrusted.
  Recovery recover();
  // For a copy that may not write: when a whole journal waits, copies of the
  // table files in the folder copies, the journal undone in them; the files
  // and the journal stay as they are. A torn journal is judged as by recover().
  Recovery undoincopies(const std::string& copies);

 private:
  bool trusted(const std::vector<Beforeimage>& images) const;
  bool begunwrite(std::string_view bytes) const;
  bool undo(const std::vector<Beforeimage>& images);

  std::string folder_;
  std::vector<std::string> names_;
};

}  // namespace tablestore
