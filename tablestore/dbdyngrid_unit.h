// TdbdynGrid: a grid of text cells in memory, loaded from table files and
// writing every row change through to its file before the call returns.
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
#include "tablestore/filestage.h"
#include "tablestore/journal.h"

class TdbdynGrid {
 public:
  static constexpr char colsep = '\xA1';    // separates columns in a table file
  static constexpr char subsep = '\xBF';    // separates subfields; starts a record
  // The reader's chunk and line buffers. Their odd sizes are deliberate and
  // stay as they are: the chunk size shows in the load's "Lesefehler"
  // message, and a line keeps its first 102,400 bytes (one byte more for its
  // final 0xA1), which decides what an over-long line loads as and how long
  // a record the write-back may write. Rounding them changes both.
  static constexpr int32_t readbuffersize = 1048577;
  static constexpr int32_t linebuffersize = 102401;

  struct DbFile {
    std::string name;  // lower case, without folder and ".db"
    int32_t maxpos = 0;
    std::string path;  // dbpath, name and ".db"
  };

  struct OpenFile {
    std::unique_ptr<platform::File> file;
    std::string path;
    bool isopen = false;
    bool readonly = false;
    // Why the read/write open failed when readonly: err_in_use while another
    // process holds the file, err_access_denied when it cannot be written at all.
    int readonlyreason = 0;
    int64_t ownend = -1;   // the file's size as this table's last append left it; -1: not known
    // The changes not yet committed, while the table stages its changes.
    std::unique_ptr<tablestore::FileStage> stage;

    // The file's operations as the write-back sees them: on the stage when
    // there is one, else on the file.
    bool write(int64_t offset, std::string_view bytes);
    bool read(int64_t offset, char* bytes, std::size_t count, std::size_t& got);
    bool size(int64_t& bytes);
    bool truncate(int64_t length);
  };

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

  // --- row changes ---
  bool addrow(std::vector<std::string>& values);
  bool updaterow(int32_t row, std::vector<std::string>& values);
  bool delrow(int32_t row);
  bool getrow(int32_t row, std::vector<std::string>& values) const;
  bool updatefile(int32_t row);

  // --- read-only views of the internal state, for tests and tools ---
  const std::string& name() const { return name_; }
  int32_t Mode() const { return Mode_; }
  bool dbfileupdate() const { return dbfileupdate_; }
  int32_t rowcapacity() const { return rowcapacity_; }
  const std::string& dbpath() const { return dbpath_; }
  const std::vector<DbFile>& dbfiles() const { return dbfiles_; }
  // The row's DBfields text, written from what the row keeps of it.
  std::string DBfields(int32_t row) const;
  const std::vector<std::string>& freeslots() const { return freeslots_; }
  int32_t lastfreeslot() const { return lastfreeslot_; }
  const std::vector<OpenFile>& openfiles() const { return openfiles_; }

 private:
  // What a row keeps of its DBfields: its state and, in the states "N", "U"
  // and "D", where its record is. The file and Flag subfields need no room:
  // the file is an index into dbfiles_, and a record's Flag in DBfields is
  // always "0". A Pos that the file holds in another form than its ten
  // digits (a sign, hex digits) is kept as text in postexts_.
  struct Rowfields {
    uint64_t values = novalues;  // where the row's cells begin in values_
    int64_t offset = 0;
    int64_t length = 0;
    int32_t pos = 0;
    uint16_t file = 0;
    char state = 0;  // 'N', 'C', 'U', 'D'; 0 for a row without a record
    bool postext = false;
  };
  static constexpr uint64_t novalues = UINT64_MAX;  // a row whose cells are all empty
  static constexpr std::size_t maxfiles = UINT16_MAX + 1;  // what Rowfields::file can name
  // The subfields of a DBfields text and of a freeslots entry, counted from 1.
  enum Dbfield : int32_t { fieldstate = 1, fieldfile, fieldpos, fieldflag, fieldoffset, fieldlength };
  // A place in a table file: the offset of a record's first byte and the
  // length of its slot; 0 where only the offset counts, as at the file's end.
  struct Slot {
    int64_t offset = 0;
    std::size_t length = 0;
  };

  // --- cells ---
  // The cell without checks; col and row must be inside the table.
  std::string_view cellat(int32_t col, int32_t row) const;
  // The bytes of a row's cells in values_: each cell followed by colsep.
  std::string_view rowcells(const Rowfields& fields) const;
  // Appends cells (each followed by colsep) as the row's cells; the old ones
  // become garbage.
  void setcells(int32_t row, std::string_view cells);
  void clearcells(int32_t row);
  // Lays values_ out anew with columns cells per row: drops the garbage, and
  // cuts or pads each row when the column count changes.
  void rewritecells(int32_t columns);
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
  struct readerror {
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
  // The checks of a row change, each false after its message: addrow and
  // updaterow need the files attached and one value per column; delrow a row
  // of the table that has a record in its file.
  bool changeable(const std::string& operation, const std::vector<std::string>& values) const;
  bool deletable(int32_t row) const;
  // updatefile, followed by the operation's own message when it fails.
  bool writeback(int32_t row, const std::string& operation);
  // Cleans values in place and makes them the cells of row; false after the message.
  bool storevalues(int32_t row, std::vector<std::string>& values, const std::string& operation);
  // Steps of updatefile, each false or nullptr after its warning: the table
  // may write the row (1 to 3); the file it goes to (4, 5); none of its cells
  // is a field not held in memory (6, with the cells in views_).
  bool writable(int32_t row);
  const DbFile* targetfile(int32_t row) const;
  bool cellsheld(int32_t row);
  // Step 8: carries out the row's state in its file and notes where its
  // record is now, in the row and in freeslots.
  Outcome carryout(int32_t row, const std::string& filename, Values values);
  Outcome create(int32_t row, const std::string& filename, Values values);   // "C"
  Outcome erase(int32_t row);                                                 // "D"
  Outcome rewrite(int32_t row, const std::string& filename, Values values);  // "U"
  // Writes a record with the given Pos into the first free slot of the file
  // that fits, or appends it; answers its slot.
  Outcome _ins(const std::string& filename, int32_t pos, Values values);
  // Flags the row's record deleted; answers the slot it freed.
  Outcome _del(int32_t row);
  Outcome readoldrecord(OpenFile& file, const std::string& fields);
  Outcome placechange(OpenFile& entry, const std::string& filename, Slot old, std::string_view oldpos,
                      std::size_t length);
  Outcome overwriteinplace(OpenFile& file, Slot old, std::size_t length);
  Outcome movetoslot(OpenFile& file, int64_t oldoffset, std::string_view oldpos, Slot slot, std::size_t length);
  Outcome movetoend(OpenFile& entry, int64_t oldoffset, std::string_view oldpos, std::size_t length);
  static Outcome swaplive(OpenFile& file, int64_t oldoffset, std::string_view oldpos, Slot slot);
  // The open writable file of this table; nullptr when there is none.
  OpenFile* writehandle(const std::string& filename);
  // Failed, with the reason, when the record would not fit the line buffer.
  static Outcome recordfits(Values values);
  // Builds the record with the given Flag in the line buffer; returns its length.
  std::size_t buildrecord(int32_t pos, Values values, char flag);
  // Issues the next Pos of filename; none when no loaded file has that name.
  std::optional<int32_t> issuepos(const std::string& filename);
  // First fit in freeslots for a record of length bytes; empties the entry it takes.
  std::optional<Slot> takefreeslot(const std::string& filename, std::size_t length);
  static std::optional<Slot> fittingslot(std::string_view entry, const std::string& filename, std::size_t length);
  Outcome writeintoslot(OpenFile& file, Slot slot);
  // Appends the record, turned live first when live is set, and raises the
  // record count; a failure cuts the file back to what it was.
  Outcome appendrecord(OpenFile& entry, std::size_t length, bool live);
  // Where an append begins (the slot's offset): the file's end.
  static Outcome appendstart(OpenFile& entry);
  // Cuts off a line too short to be a record that ends the file; answers the end.
  static Outcome cuttornline(OpenFile& file, int64_t end);
  static Outcome raiserecordcount(OpenFile& file);
  // The file operations on one record, shared with the reader.
  static Outcome writeat(OpenFile& file, int64_t offset, std::string_view bytes);
  static Outcome readat(OpenFile& file, int64_t offset, char* bytes, std::size_t count);
  static Outcome writehead(OpenFile& file, int64_t offset, std::string_view posdigits, char flag);
  // Turns the written record at offset live with the one byte of its Flag.
  static Outcome makelive(OpenFile& file, int64_t offset);
  static Outcome deletemark(OpenFile& file, int64_t offset);

  int32_t freeslotscan_ = 0;
  bool stagechanges_ = false;  // freeslots entries below this index are known to be empty

  std::string name_;
  int32_t colcount_ = 0;
  // Every row's cells lie in values_, each row's in one piece, each cell
  // followed by colsep (no cell holds that byte): one buffer for the whole
  // table instead of a string per cell. A changed row is appended anew; the
  // old bytes are garbage until the buffer is laid out again.
  std::string values_;
  std::size_t garbage_ = 0;
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
  std::string cellsbuffer_;               // the cells storevalues puts into a row
  std::vector<OpenFile> openfiles_;
};
