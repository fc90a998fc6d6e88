// TdbdynGrid: a grid of text cells in memory, loaded from table files and
// writing every row change through to its file before the call returns.
// All text is Windows-1252 bytes. Failures are shown through the message
// port and answered with false or an empty result; nothing is thrown out.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/file.h"

class TdbdynGrid {
 public:
  static constexpr char colsep = '\xA1';    // separates columns in a table file
  static constexpr char subsep = '\xBF';    // separates subfields; starts a record
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
    bool changed = false;  // written since the last flushfiles
    // Why the read/write open failed when readonly: err_in_use while another
    // process holds the file, err_access_denied when it cannot be written at all.
    int readonlyreason = 0;
    int64_t ownend = -1;   // the file's size as this table's last append left it; -1: not known
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
  // The views of a row's first cells.size() cells (at most getcolcount()) at
  // once, for code that reads whole rows of a big table. The same check and
  // message as getcell for a row outside the table.
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
  // Puts what the row changes since the last call wrote on the disk, one
  // sync per file written. A command calls it once before it reports
  // success, so that what it reported survives a power cut; false after the
  // warning when a file cannot be synced.
  bool flushfiles();

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
  // The row becomes state "N" with its record at offset in filename.
  void setlive(int32_t row, const std::string& filename, int32_t pos, int64_t offset, std::size_t length);
  void setpostext(int32_t row, std::string_view text);

  // --- loading ---
  // An error of the reader: stops the load; db_addloadfromfile shows text.
  struct readerror {
    std::string text;
  };
  class Reader;  // walks one table file, dbdyngrid_reader.cpp

  // Reads the whole open file of dbfiles_[index] into the table; a read-only
  // file cannot take the record count correction.
  void readfile(int32_t index, platform::File& file, const std::string& path, bool readonly);
  // The n-th subfield (from 1), trimmed, cut to at most limit bytes before
  // trimming; "" when there is none. A view into text.
  static std::string_view subfieldview(std::string_view text, int32_t n, std::size_t limit);
  // Puts entry into the next freeslots entry, growing the list by 1000 when full.
  void addfreeslot(std::string entry);
  void showerror(const std::string& text) const;  // warning + "\n\rQuelle:" + name

  // The openfiles entry of path, as openfile looks it up; nullptr when there is none.
  OpenFile* findopenfile(const std::string& path);
  // openfile, followed by the table store's warning when the file cannot be opened.
  bool openfileorwarn(const std::string& path, platform::File*& handle, bool& readonly);

  // --- write-back ---
  // The values of a row as the write-back reads them: views of its cells.
  using Values = std::span<const std::string_view>;
  bool _ins(int32_t row, const std::string& filename, int32_t pos, Values values);
  bool _del(int32_t row);
  // Cleans values in place and makes them the cells of row; false after the message.
  bool storevalues(int32_t row, std::vector<std::string>& values, const std::string& operation);
  // Step 8 of updatefile: carries out the row's state; error tells why it failed.
  bool carryout(int32_t row, char state, const std::string& filename, Values values, std::string& error);
  // A changed row: its record is written anew with its Pos, the old one freed.
  bool rewrite(int32_t row, const std::string& filename, Values values, std::string& error);
  bool readoldrecord(platform::File& file, const std::string& fields, int64_t& offset, std::size_t& oldslot);
  bool overwriteinplace(platform::File& file, int64_t offset, std::size_t length, std::size_t slotlength);
  bool movetoslot(platform::File& file, int64_t oldoffset, const std::string& oldfields, int64_t offset,
                  std::size_t length, std::size_t slotlength);
  bool movetoend(OpenFile& entry, int64_t oldoffset, const std::string& oldfields, std::size_t length,
                 int64_t& offset);
  bool swaplive(platform::File& file, int64_t oldoffset, const std::string& oldfields, int64_t offset);
  static std::string freedslot(const std::string& fields);
  // The open writable file of this table; nullptr when there is none.
  OpenFile* writehandle(const std::string& filename);
  // False, with the reason in writeerror_, when the record would not fit the line buffer.
  bool recordfits(Values values);
  // Builds the record with the given Flag in the line buffer; returns its length.
  std::size_t buildrecord(int32_t pos, Values values, char flag);
  // Issues the next Pos of filename; false when no loaded file has that name.
  bool issuepos(const std::string& filename, int32_t& pos);
  // First fit in freeslots for a record of length bytes; empties the entry it takes.
  bool takefreeslot(const std::string& filename, std::size_t length, int64_t& offset, std::size_t& slotlength);
  bool writeintoslot(platform::File& file, int64_t offset, std::size_t length);
  // Appends the record, turned live first when live is set, and raises the
  // record count; a failure cuts the file back to what it was.
  bool appendrecord(OpenFile& entry, std::size_t length, int64_t& offset, bool live);
  // Turns the written record at offset live with the one byte of its Flag.
  bool makelive(platform::File& file, int64_t offset);
  // Cuts off a line too short to be a record that ends the file; end follows.
  bool cuttornline(platform::File& file, int64_t& end);
  bool raiserecordcount(platform::File& file);

  std::string writeerror_;    // text of the first failure inside _ins or _del
  int32_t freeslotscan_ = 0;  // freeslots entries below this index are known to be empty

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
