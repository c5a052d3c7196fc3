#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "AcpiMachine.h"
#include "BiosFile.h"
#include "BiosTestSupport.h"
#include "InfoBlock.h"

namespace {

constexpr const char* kDescription =
    "group 15\n"
    "item 15 1 : 0x80001 0 0 0 3 \"Quiet\" \"Balanced\" \"Turbo\"\n"
    "item 15 0 : 0x70002 0 0 0\n";

class AcpiMachineTest : public ::testing::Test {
 protected:
  AcpiMachineTest()
      : path_(biostest::TemporaryPath("gs-machine")),
        machine_([this](const std::string& event) { journal_.push_back(event); },
                 [this](const std::string& text) { problems_.push_back(text); }) {}
  ~AcpiMachineTest() override { std::filesystem::remove(path_); }

  void WriteFile(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }

  std::string path_;
  std::vector<std::string> journal_, problems_;
  nkacpi::AcpiMachine machine_;
};

TEST_F(AcpiMachineTest, JournalsEveryCallWithTheAgreedWords) {
  WriteFile(kDescription);
  ASSERT_EQ(machine_.Initialize(path_), 1);
  std::vector<unsigned char> block(4096);
  std::uint32_t size = 4096;
  machine_.GetGroupInfo(15, block.data(), &size);
  machine_.GetGroupInfo(99, block.data(), &size);
  std::uint32_t id = 0x80001;
  size = 4096;
  machine_.GetItemInfo(&id, block.data(), &size);
  std::uint32_t index = 0;
  machine_.GetItemValue(0x80001, &index);
  machine_.SetItemValue(0x80001, 2, 3);
  EXPECT_EQ(journal_, (std::vector<std::string>{"init", "group 15 ok", "group 99 fail", "item 0x80001",
                                                "read 0x80001 1", "write 0x80001 2 3 ok"}));
  EXPECT_TRUE(problems_.empty());
}

TEST_F(AcpiMachineTest, BlocksThatDoNotFitAreNotFilled) {
  WriteFile(kDescription);
  machine_.Initialize(path_);
  std::vector<unsigned char> block(4096, 0xAB);
  std::uint32_t size = 4096;
  ASSERT_EQ(machine_.GetGroupInfo(15, block.data(), &size), 1);
  const std::uint32_t groupSize = size;
  std::uint32_t id = 0x80001;
  size = 4096;
  ASSERT_EQ(machine_.GetItemInfo(&id, block.data(), &size), 1);
  const std::uint32_t itemSize = size;

  std::fill(block.begin(), block.end(), 0xAB);
  size = groupSize - 1;
  EXPECT_EQ(machine_.GetGroupInfo(15, block.data(), &size), 0);
  EXPECT_EQ(size, 0u);
  size = itemSize - 1;
  EXPECT_EQ(machine_.GetItemInfo(&id, block.data(), &size), 0);
  EXPECT_EQ(std::count(block.begin(), block.end(), 0xAB), 4096) << "nothing written into a buffer too small";
  size = itemSize;
  EXPECT_EQ(machine_.GetItemInfo(&id, block.data(), &size), 1) << "an exact fit is enough";
}

TEST_F(AcpiMachineTest, ARefusedFileLoadsNothingAndSaysWhere) {
  WriteFile("group 15\nitem 15 0 : 0x80001 0 0 0 1 \"x\"\nitem 15 oops : 2\n");
  EXPECT_EQ(machine_.Initialize(path_), 0);
  ASSERT_EQ(problems_.size(), 1u);
  EXPECT_EQ(problems_[0],
            "refused " + path_ +
                ":3: 'oops' is not an integer (decimal, 0x hex, or negative) for the value index; "
                "the machine has no groups");
  std::vector<unsigned char> block(4096);
  std::uint32_t size = 4096;
  EXPECT_EQ(machine_.GetGroupInfo(15, block.data(), &size), 0)
      << "the lines before the bad one count neither";
  std::uint32_t index = 7;
  EXPECT_EQ(machine_.GetItemValue(0x80001, &index), 0);
  EXPECT_EQ(index, 7u);
}

TEST_F(AcpiMachineTest, AFileLargerThanADescriptionCanBeIsRefusedAndSaysWhich) {
  // Valid lines all through: only its size is wrong with it.
  std::string text = kDescription;
  while (text.size() <= nkacpi::kLargestBiosFile)
    text += "# padding, as a runaway generator or a wrong file would leave it\n";
  WriteFile(text);
  EXPECT_EQ(machine_.Initialize(path_), 0);
  ASSERT_EQ(problems_.size(), 1u);
  EXPECT_EQ(problems_[0], path_ + " is larger than the " + std::to_string(nkacpi::kLargestBiosFile) +
                              " bytes a BIOS description may have; the machine has no groups");
  std::uint32_t index = 7;
  EXPECT_EQ(machine_.GetItemValue(0x80001, &index), 0);
}

TEST_F(AcpiMachineTest, WritesReplaceTheFileWholeAndSurviveARestart) {
  WriteFile("# levels\n" + std::string(kDescription));
  machine_.Initialize(path_);
  EXPECT_EQ(machine_.SetItemValue(0x80001, 2, 3), 1);
  EXPECT_EQ(machine_.SetItemValue(0x70002, 1, 3), 1);
  EXPECT_FALSE(std::filesystem::exists(machine_.NextTemporaryFile()));
  EXPECT_EQ(biostest::ReadText(path_),
            "# levels\ngroup 15\nitem 15 2 : 0x80001 0 0 0 3 \"Quiet\" \"Balanced\" \"Turbo\"\n"
            "item 15 1 : 0x70002 0 0 0\n");

  nkacpi::AcpiMachine restarted([](const std::string&) {}, [](const std::string&) {});
  restarted.Initialize(path_);
  std::uint32_t index = 0;
  EXPECT_EQ(restarted.GetItemValue(0x80001, &index), 1);
  EXPECT_EQ(index, 2u);
  EXPECT_EQ(machine_.SetItemValue(0x99999, 1, 3), 0) << "no such item";
}

TEST_F(AcpiMachineTest, AWriteChangesNoOtherByteOfTheFileAsAnEditorSavedIt) {
  // Byte-order mark, CRLF line ends and no newline after the last line.
  const std::string saved =
      "\xEF\xBB\xBF# levels\r\ngroup 15\r\n"
      "item 15 1 : 0x80001 0 0 0 3 \"Quiet\" \"Balanced\" \"Turbo\"\r\nitem 15 0 : 0x70002 0 0 0";
  WriteFile(saved);
  ASSERT_EQ(machine_.Initialize(path_), 1) << (problems_.empty() ? "" : problems_[0]);
  EXPECT_EQ(machine_.SetItemValue(0x70002, 1, 3), 1);
  EXPECT_EQ(biostest::ReadText(path_),
            "\xEF\xBB\xBF# levels\r\ngroup 15\r\n"
            "item 15 1 : 0x80001 0 0 0 3 \"Quiet\" \"Balanced\" \"Turbo\"\r\nitem 15 1 : 0x70002 0 0 0");
}

TEST_F(AcpiMachineTest, AWriteThatCannotPersistIsNotReportedAsDone) {
  WriteFile(kDescription);
  machine_.Initialize(path_);
  // The temporary file's name taken by a folder: the write fails whatever the user's rights.
  const std::filesystem::path blocked = machine_.NextTemporaryFile();
  std::filesystem::create_directory(blocked);
  EXPECT_EQ(machine_.SetItemValue(0x80001, 2, 3), 0);
  std::filesystem::remove(blocked);
  std::uint32_t index = 0;
  machine_.GetItemValue(0x80001, &index);
  EXPECT_EQ(index, 1u);
  EXPECT_EQ(biostest::ReadText(path_), kDescription);
  ASSERT_EQ(problems_.size(), 1u);
  EXPECT_EQ(problems_[0].rfind("item 0x80001 keeps its value index 1: cannot create ", 0), 0u)
      << problems_[0];
  // The journal tells the outcome of the attempt, with the reason.
  ASSERT_EQ(journal_.size(), 3u);
  EXPECT_EQ(journal_[1].rfind("write 0x80001 2 3 failed cannot create " + blocked.string() + ": ", 0), 0u)
      << journal_[1];
  EXPECT_EQ(journal_[2], "read 0x80001 1");
}

TEST_F(AcpiMachineTest, AWriteKeepsWhatAnotherWriterChangedInTheFileSinceItWasRead) {
  WriteFile("# levels\n" + std::string(kDescription));
  machine_.Initialize(path_);
  // Another process stores item 0x70002 and the user adds a line, after this machine read the file.
  WriteFile(
      "# levels\n# edited\ngroup 15\n"
      "item 15 1 : 0x80001 0 0 0 3 \"Quiet\" \"Balanced\" \"Turbo\"\n"
      "item 15 1 : 0x70002 0 0 0\n");
  EXPECT_EQ(machine_.SetItemValue(0x80001, 0, 3), 1);
  EXPECT_EQ(biostest::ReadText(path_),
            "# levels\n# edited\ngroup 15\n"
            "item 15 0 : 0x80001 0 0 0 3 \"Quiet\" \"Balanced\" \"Turbo\"\n"
            "item 15 1 : 0x70002 0 0 0\n");
  std::uint32_t index = 0;
  EXPECT_EQ(machine_.GetItemValue(0x70002, &index), 1);
  EXPECT_EQ(index, 1u) << "the machine holds the file as written";
}

}  // namespace
