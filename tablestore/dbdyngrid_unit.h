// TdbdynGrid: a grid of text cells in memory, loaded from table files.
// What keeps the user's data safe is the undo journal (journal.h): the
// catalogue's tables always stage their changes and commit a whole command
// through it, so a kill, a power cut or a failed write leaves the command
// wholly done or wholly not done. Write-through (no stage: every change in
// its file before the call returns) is the mode for tools and tests; its
// record protocol survives a kill between two writes, but not a power cut,
// and a rewrite torn inside its record can leave old and new bytes mixed
// (the limits are told at the top of dbdyngrid_write.cpp).
// All text is Windows-1252 bytes. Failures are shown through the message
// port and answered with false or an empty result; nothing is thrown out.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/file.h"
#include "tablestore/cellbuffer.h"
#include "tablestore/journal.h"
#include "tablestore/recordfile.h"
#include "tablestore/recordformat.h"

namespace testsupport {
class TableProbe;
}

class TdbdynGrid {
 public:
  // The format's separators and buffer sizes, under the names the table's
  // users know them by.
  static constexpr char colsep = recordformat::colsep;
  static constexpr char subsep = recordformat::subsep;
  static constexpr int32_t readbuffersize = recordformat::readbuffersize;
  static constexpr int32_t linebuffersize = recordformat::linebuffersize;

  explicit TdbdynGrid(std::string name);
  ~TdbdynGrid();
  TdbdynGrid(const TdbdynGrid&) = delete;
  TdbdynGrid& operator=(const TdbdynGrid&) = delete;

  // --- cells, rows, columns ---
  int32_t getcolcount() const;
  int32_t getrowcount() const;
  void setcolcount(int32_t n);
  void setrowcount(int32_t n);
  std::string getcell(int32_t col, int32_t row) const;
  // getcell without the copy, for code that reads many cells: the same checks
  // and messages. The view holds until the next change of the table.
  std::string_view cellview(int32_t col, int32_t row) const;
  // The views of a row's first cells.size() cells at once, for code that
  // reads whole rows of a big table. The same checks and messages as getcell
  // for a row outside the table and for each column the table lacks.
  void rowviews(int32_t row, std::span<std::string_view> cells) const;
  // Changes with every change of the cells, rows or columns (load, reset, row
  // changes); no two states of any tables share a stamp. What a reader works
  // out from a table holds as long as the table's stamp stays the same.
  uint64_t changestamp() const { return changestamp_; }

  // --- subfield lists ---
  static std::string getsubfield(const std::string& text, int32_t n);
  // getsubfield without the copy: a view into text.
  static std::string_view getsubfieldview(std::string_view text, int32_t n);
  static bool setsubfield(std::string& text, int32_t n, const std::string& value);
  static std::string newsubfields(int32_t n);
  static std::string cleantext(const std::string& value);
  // cleantext on the value itself, without a copy.
  static void cleaninplace(std::string& value);

  void clear();
  void reset();
  bool db_close();

  // --- creating, attaching and loading files ---
  bool db_createfile(const std::string& path, int32_t columns);
  bool db_init(const std::string& folder, const std::vector<std::string>& names);
  bool db_addloadfromfile(int32_t index);
  bool openfile(const std::string& path, platform::File*& handle, bool& readonly);
  bool closefiles();
  static bool fileavailable(const std::string& path);
  // Why the table cannot write its files: 0 when it can, errinuse while
  // another process holds one of them, else the reason of the first one that
  // cannot be written at all.
  int readonlyreason() const;
  // True while a file that was opened read-only because another process held
  // it is still held: a probe that takes its lock releases it again at once.
  bool stillinuse() const;
  // Off, a load says nothing of a file opened read-only because another
  // process holds it: the owner of several tables says that once for all.
  void warnwheninuse(bool on) { warnwheninuse_ = on; }

  // --- a command's changes as one unit ---
  // While on, row changes write no file: they wait in a stage per file until
  // the table's owner commits them all at once (staged, then committed) or
  // drops them (reload). Off, every change goes to its file at once.
  void stagechanges(bool on) { stagechanges_ = on; }
  // Adds the files with staged changes, named as in their folder.
  void staged(std::vector<tablestore::Stagedfile>& files) const;
  std::size_t stagedbytes() const;
  // The staged changes are in the files now.
  void committed();
  // Drops the staged changes and loads the files anew, which stay open:
  // memory then shows what the disk holds. False after the loader's warning.
  bool reload();
  // Gives every row its own copy of cells that still lie in the mapped
  // files: for an owner that rewrites the files while the table stays loaded.
  void owncells() { cells_.ownall(); }

  // --- row changes ---
  bool addrow(std::vector<std::string>& values);
  bool updaterow(int32_t row, std::vector<std::string>& values);
  bool delrow(int32_t row);
  bool getrow(int32_t row, std::vector<std::string>& values) const;
  bool updatefile(int32_t row);

  const std::string& name() const { return name_; }
  // The Pos of the row's record: it grows with every record the table's
  // files are given and stays with a rewritten one. None for a row without a
  // record (a placeholder, a deleted row, an added row not yet written).
  std::optional<int32_t> recordnumber(int32_t row) const;
  // The handle of the open file of that name (as in its folder), for the
  // owner that replaces whole files; nullptr when none is open.
  platform::File* openfilehandle(const std::string& filename) const;

 private:
  // The internal state is read by tests through their probe.
  friend class testsupport::TableProbe;
  // The row's DBfields text, written from what the row keeps of it.
  std::string DBfields(int32_t row) const;

  struct DbFile {
    std::string name;  // lower case, without folder and ".db"
    int32_t maxpos = 0;
    std::string path;  // dbpath, name and ".db"
  };

  struct OpenFile {
    tablestore::RecordFile record;  // the file, its stage and its end
    std::string path;
    bool isopen = false;
    bool readonly = false;
    // Why the read/write open failed when readonly: errinuse while another
    // process holds the file, erraccessdenied when it cannot be written at all.
    int readonlyreason = 0;
  };

  // What a row keeps of its DBfields: its state and, in the states "N", "U"
  // and "D", where its record is. The file and Flag subfields need no room:
  // the file is an index into dbfiles_, and a record's Flag in DBfields is
  // always "0". A Pos that the file holds in another form than its ten
  // digits (a sign, hex digits) is kept as text in postexts_.
  struct Rowfields {
    int64_t offset = 0;
    int64_t length = 0;
    int32_t pos = 0;
    uint16_t file = 0;
    char state = 0;  // 'N', 'C', 'U', 'D'; 0 for a row without a record
    bool postext = false;
  };
  static constexpr std::size_t maxfiles = UINT16_MAX + 1;  // what Rowfields::file can name
  // The subfields of a DBfields text and of a freeslots entry, counted from 1.
  enum Dbfield : int32_t { fieldstate = 1, fieldfile, fieldpos, fieldflag, fieldoffset, fieldlength };
  using Slot = tablestore::Slot;
  using Outcome = tablestore::Outcome;

  // --- cells ---
  // The cell without checks; col and row must be inside the table.
  std::string_view cellat(int32_t col, int32_t row) const;
  // Cells (each followed by colsep) become the row's cells.
  void setcells(int32_t row, std::string_view cells);
  void clearcells(int32_t row);
  void changed();
  // The first loaded file of that name; nullptr when there is none.
  const DbFile* finddbfile(const std::string& filename) const;
  // Where the row's record is, as its DBfields tell.
  Slot rowslot(int32_t row) const;
  // The row becomes state "N" with its record in slot of filename.
  void setlive(int32_t row, const std::string& filename, int32_t pos, Slot slot);
  void setpostext(int32_t row, std::string_view text);

  // --- loading ---
  // An error of the reader: stops the load; db_addloadfromfile shows text.
  struct Readerror {
    std::string text;
  };
  class Reader;  // walks one table file, dbdyngrid_reader.cpp

  // db_init's steps: the folder and the names checked and the files listed
  // (false after the warning), then every file loaded in turn.
  bool attach(const std::string& folder, const std::vector<std::string>& names);
  bool loadall();
  bool load(const std::string& folder, const std::vector<std::string>& names);
  // Reads the whole open file of dbfiles_[index] into the table; a read-only
  // file cannot take the record count correction.
  void readfile(int32_t index, OpenFile& file, const std::string& path, bool readonly);
  // The n-th subfield (from 1), trimmed, cut to at most limit bytes before
  // trimming; "" when there is none. A view into text.
  static std::string_view subfieldview(std::string_view text, int32_t n, std::size_t limit);
  // Puts entry into the next freeslots entry, growing the list by 1000 when full.
  void addfreeslot(std::string entry);
  // The freeslots entry of a deleted record: "N", its file, "x", "x", offset and length.
  static std::string freeslotentry(std::string_view filename, Slot slot);
  void showerror(const std::string& text) const;  // warning + "\n\rQuelle:" + name

  // The openfiles entry of path, as openfile looks it up; nullptr when there is none.
  OpenFile* findopenfile(const std::string& path);
  // Opens path for a closed entry: read/write denying other writers, else
  // read-only; false after the warning when neither works.
  bool reopen(OpenFile& entry, const std::string& path);
  // openfile, followed by the table store's warning when the file cannot be opened.
  bool openfileorwarn(const std::string& path, platform::File*& handle, bool& readonly);

  // --- write-back ---
  // The values of a row as the write-back reads them: views of its cells.
  using Values = std::span<const std::string_view>;
  // The checks of a row change, each false after its message: addrow and
  // updaterow need the files attached and one value per column; delrow a row
  // of the table that has a record in its file.
  bool changeable(const std::string& operation, const std::vector<std::string>& values) const;
  bool deletable(int32_t row) const;
  // updatefile, followed by the operation's own message when it fails.
  bool writeback(int32_t row, const std::string& operation);
  // Cleans values in place and makes them the cells of row; false after the message.
  bool storevalues(int32_t row, std::vector<std::string>& values, const std::string& operation);
  // The checks of updatefile, each false or nullptr after its warning:
  // writable, the table may write the row; targetfile, the file it goes to;
  // cellsheld, none of its cells is a field not held in memory (with the
  // cells in views_).
  bool writable(int32_t row);
  const DbFile* targetfile(int32_t row) const;
  bool cellsheld(int32_t row);
  // The carry-out: the row's state done in its file, and where its record
  // is now noted in the row and in freeslots.
  Outcome carryout(int32_t row, const std::string& filename, Values values);
  Outcome create(int32_t row, const std::string& filename, Values values);   // "C"
  Outcome erase(int32_t row);                                                // "D"
  Outcome rewrite(int32_t row, const std::string& filename, Values values);  // "U"
  // Writes a record with the given Pos into the first free slot of the file
  // that fits, or appends it; answers its slot.
  Outcome _ins(const std::string& filename, int32_t pos, Values values);
  // Flags the row's record deleted; answers the slot it freed.
  Outcome _del(int32_t row);
  Outcome readoldrecord(tablestore::RecordFile& file, const Rowfields& fields);
  Outcome placechange(tablestore::RecordFile& file, const std::string& filename, Slot old, std::string_view oldpos,
                      std::size_t length);
  Outcome overwriteinplace(tablestore::RecordFile& file, Slot old, std::size_t length);
  Outcome movetoslot(tablestore::RecordFile& file, int64_t oldoffset, std::string_view oldpos, Slot slot,
                     std::size_t length);
  Outcome movetoend(tablestore::RecordFile& file, int64_t oldoffset, std::string_view oldpos, std::size_t length);
  static Outcome swaplive(tablestore::RecordFile& file, int64_t oldoffset, std::string_view oldpos, Slot slot);
  // The record file of this table's open writable file; nullptr when there is none.
  tablestore::RecordFile* writehandle(const std::string& filename);
  // The row's Pos as its record holds it: ten digits, or the text kept for it.
  std::string posdigits(int32_t row) const;
  // Failed, with the reason, when the record would not fit the line buffer.
  static Outcome recordfits(Values values);
  // Builds the record with the given Flag in the line buffer; returns its length.
  std::size_t buildrecord(int32_t pos, Values values, char flag);
  // Issues the next Pos of filename; none when no loaded file has that name.
  std::optional<int32_t> issuepos(const std::string& filename);
  // First fit in freeslots for a record of length bytes; empties the entry it takes.
  std::optional<Slot> takefreeslot(const std::string& filename, std::size_t length);
  static std::optional<Slot> fittingslot(std::string_view entry, const std::string& filename, std::size_t length);
  Outcome writeintoslot(tablestore::RecordFile& file, Slot slot);

  int32_t freeslotscan_ = 0;  // freeslots entries below this index are known to be empty
  bool stagechanges_ = false;
  bool warnwheninuse_ = true;

  std::string name_;
  tablestore::CellBuffer cells_;  // rowcapacity_ rows of getcolcount() cells
  uint64_t changestamp_ = 0;
  int32_t rowcapacity_ = 0;
  int32_t rowcount_ = 0;
  int32_t Mode_ = 0;
  bool dbfileupdate_ = false;
  std::string dbpath_;
  std::vector<DbFile> dbfiles_;
  std::vector<Rowfields> rows_;  // rowcapacity_ entries: the rows' DBfields and cells
  std::unordered_map<int32_t, std::string> postexts_;
  std::vector<std::string> freeslots_;
  int32_t lastfreeslot_ = -1;
  std::unique_ptr<char[]> readbuffer_;
  std::unique_ptr<char[]> linebuffer_;
  std::vector<std::string_view> views_;  // the cells of the row updatefile writes
  std::string cellsbuffer_;              // the cells storevalues puts into a row
  std::vector<OpenFile> openfiles_;
};
