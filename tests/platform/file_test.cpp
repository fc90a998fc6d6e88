// The file layer: error codes and their German texts, the two sharing modes,
// byte-addressed reads and writes, and a short write.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/codepage.h"
#include "platform/file.h"
#include "tests/support/faults.h"

using platform::File;

namespace {

class FileLayer : public testing::Test {
 protected:
  FileLayer() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mixolino-file-XXXXXX").string();
    if (!mkdtemp(pattern.data())) ADD_FAILURE() << "mkdtemp failed";
    folder_ = pattern;
  }
  ~FileLayer() override {
    testsupport::faults::disarm();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  std::string path(const std::string& name) const { return folder_ + "/" + name; }
  static std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static bool write(File& file, int64_t offset, const std::string& bytes) {
    std::size_t written = 0;
    return file.write(offset, bytes.data(), bytes.size(), written) && written == bytes.size();
  }

 private:
  std::string folder_;
};

TEST(ErrorTexts, FollowTheErrorNumber) {
  EXPECT_EQ(platform::errortext(2), "Datei nicht gefunden");
  EXPECT_EQ(platform::errortext(3), "Ung\xFCltiger Dateiname");
  EXPECT_EQ(platform::errortext(4),
            "Zu viele ge\xF6"
            "ffnete Dateien");
  EXPECT_EQ(platform::errortext(5), "Dateizugriff verweigert");
  EXPECT_EQ(platform::errortext(100), "Versuch hinter dem Dateiende zu lesen");
  EXPECT_EQ(platform::errortext(101), "Zu wenig Speicherplatz");
  EXPECT_EQ(platform::errortext(106), "Ung\xFCltige numerische Eingabe");
  EXPECT_EQ(platform::errortext(32), "E/A-Fehler 32");
  EXPECT_EQ(platform::errortext(1117), "E/A-Fehler 1117");
}

TEST_F(FileLayer, FailedOpensAndCreatesLeaveTheirCode) {
  EXPECT_EQ(File::open(path("missing.db"), File::Access::readonlydenynone), nullptr);
  EXPECT_EQ(platform::lasterror(), platform::errfilenotfound);
  EXPECT_EQ(File::create(path("no/such/folder.db")), nullptr);
  EXPECT_EQ(platform::lasterror(), platform::errfilenotfound);
  ASSERT_TRUE(platform::createdirectory(path("sub")));
  EXPECT_EQ(File::create(path("sub")), nullptr);
  EXPECT_EQ(platform::lasterror(), platform::errinvalidname);
}

TEST_F(FileLayer, ReadWriteOpenDeniesOtherWritersButNotReaders) {
  auto holder = File::create(path("t.db"));
  ASSERT_NE(holder, nullptr);
  ASSERT_TRUE(write(*holder, 0, "abc"));
  // A second read/write open is refused as "in use", also within one process.
  EXPECT_EQ(File::open(path("t.db"), File::Access::readwritedenywrite), nullptr);
  EXPECT_EQ(platform::lasterror(), platform::errinuse);
  EXPECT_EQ(File::create(path("t.db")), nullptr);
  EXPECT_EQ(platform::lasterror(), platform::errinuse);
  EXPECT_EQ(contents(path("t.db")), "abc");  // the refused create did not empty it
  auto reader = File::open(path("t.db"), File::Access::readonlydenynone);
  ASSERT_NE(reader, nullptr);
  reader.reset();  // closing another descriptor keeps the holder's lock
  EXPECT_EQ(File::open(path("t.db"), File::Access::readwritedenywrite), nullptr);
  ASSERT_TRUE(holder->close());
  EXPECT_NE(File::open(path("t.db"), File::Access::readwritedenywrite), nullptr);
}

TEST_F(FileLayer, ACreateThatCannotEmptyTheFileReportsWhy) {
  // A lock refused just before must not colour the next failure: a pipe
  // takes the lock, but cannot be emptied.
  auto holder = File::create(path("held.db"));
  ASSERT_NE(holder, nullptr);
  ASSERT_EQ(File::open(path("held.db"), File::Access::readwritedenywrite), nullptr);
  ASSERT_EQ(platform::lasterror(), platform::errinuse);
  ASSERT_EQ(mkfifo(path("pipe.db").c_str(), 0644), 0);
  EXPECT_EQ(File::create(path("pipe.db")), nullptr);
  EXPECT_EQ(platform::lasterror(), platform::errinvalidname);
}

TEST_F(FileLayer, BytesAreAddressedByOffset) {
  auto file = File::create(path("t.db"));
  ASSERT_NE(file, nullptr);
  ASSERT_TRUE(write(*file, 0, "0123456789"));
  ASSERT_TRUE(write(*file, 4, "ab"));
  char buffer[8] = {};
  std::size_t got = 0;
  ASSERT_TRUE(file->read(8, buffer, sizeof buffer, got));  // reading past the end is no failure
  EXPECT_EQ(std::string(buffer, got), "89");
  ASSERT_TRUE(file->truncate(6));
  int64_t size = 0;
  ASSERT_TRUE(file->size(size));
  EXPECT_EQ(size, 6);
  ASSERT_TRUE(file->close());
  EXPECT_EQ(contents(path("t.db")), "0123ab");
}

// A disk that takes half of a write and then is full: the write fails,
// telling how much arrived.
TEST_F(FileLayer, AShortWriteFails) {
  auto file = File::create(path("t.db"));
  ASSERT_NE(file, nullptr);
  testsupport::faults::armshort(2, ENOSPC);  // the size's call first
  int64_t size = 0;
  ASSERT_TRUE(file->size(size));
  EXPECT_FALSE(testsupport::faults::fired());
  std::size_t written = 0;
  EXPECT_FALSE(file->write(0, "abcdef", 6, written));
  EXPECT_TRUE(testsupport::faults::fired());
  EXPECT_EQ(platform::lasterror(), platform::errdiskfull);
  EXPECT_EQ(written, 3u);
  EXPECT_EQ(testsupport::faults::calls(), 3);  // the size, the short write, the failing rest
  EXPECT_TRUE(file->size(size));               // only the one write fails
  testsupport::faults::disarm();
  ASSERT_TRUE(file->close());
  EXPECT_EQ(contents(path("t.db")), "abc");
}

}  // namespace
