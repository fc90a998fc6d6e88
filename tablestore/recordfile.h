// One open table file as the write-back and the load's fixes see it: the
// record operations at known offsets (write, read, turn live, delete mark,
// append with the record count raised, cut a torn line). While the table
// stages its changes, they go to the file's stage instead of the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/file.h"
#include "tablestore/filestage.h"

namespace tablestore {

// A place in a table file: the offset of a record's first byte and the
// length of its slot; 0 where only the offset counts, as at the file's end.
struct Slot {
  int64_t offset = 0;
  std::size_t length = 0;
};

// What every step of the write-back answers, from one file operation up to
// a whole row. Done: with the slot it wrote, read or freed, where it has
// one. Failed: with the text that updatefile shows, which is the failed
// file operation's own ("Zu wenig Speicherplatz"), the step's own reason,
// or none, and then the step above puts in its name ("Fehler in _ins!").
// Look-ups that may find nothing (the next Pos, a free slot) answer with
// std::optional: finding nothing is no failure.
struct Outcome {
  bool done = false;
  Slot slot;
  std::string failure;

  explicit operator bool() const { return done; }
  static Outcome ok() { return {true, {}, {}}; }
  static Outcome ok(Slot slot) { return {true, slot, {}}; }
  static Outcome failed(std::string failure = {}) { return {false, {}, std::move(failure)}; }
  // Failed, with the text of the last failed file operation.
  static Outcome ioerror();
  // This outcome; a failure without a text of its own gets the step's name.
  Outcome named(const char* step) const;
};

class RecordFile {
 public:
  RecordFile() = default;
  explicit RecordFile(std::unique_ptr<platform::File> file) : file_(std::move(file)) {}

  platform::File* file() const { return file_.get(); }
  // Closes the file; its stage is dropped. False when the close failed.
  bool close();

  // --- the stage of a command's changes ---
  const FileStage* stage() const { return stage_.get(); }
  // From now on writes go to a stage over the file; false when its size cannot be read.
  bool beginstage();
  // The staged changes are in the file now.
  void committed() { stage_.reset(); }
  // Drops the staged changes; the file's end is looked up anew.
  void discard();

  // --- the operations on one record ---
  Outcome writeat(int64_t offset, std::string_view bytes);
  // Fails with no text of its own when fewer than count bytes arrive.
  Outcome readat(int64_t offset, char* bytes, std::size_t count);
  // The head of a record: start mark, Pos (posdigits), 0xBF, Flag.
  Outcome writehead(int64_t offset, std::string_view posdigits, char flag);
  // Turns the written record at offset live with the one byte of its Flag.
  Outcome makelive(int64_t offset);
  Outcome deletemark(int64_t offset);
  // Appends CR LF and record, turned live first when live is set, and raises
  // the record count; a failure cuts the file back to what it was. Answers
  // the record's slot.
  Outcome appendrecord(std::string_view record, bool live);

 private:
  // The file's operations: on the stage when there is one, else on the file.
  bool write(int64_t offset, std::string_view bytes);
  bool read(int64_t offset, char* bytes, std::size_t count, std::size_t& got);
  bool size(int64_t& bytes);
  bool truncate(int64_t length);
  // Where an append begins (the slot's offset): the file's end.
  Outcome appendstart();
  // Cuts off a line too short to be a record that ends the file; answers the end.
  Outcome cuttornline(int64_t end);
  Outcome raiserecordcount();

  std::unique_ptr<platform::File> file_;
  std::unique_ptr<FileStage> stage_;
  int64_t ownend_ = -1;   // the file's size as the last append left it; -1: not known
  std::string appended_;  // CR LF and the record of an append, sent in one write
};

}  // namespace tablestore
