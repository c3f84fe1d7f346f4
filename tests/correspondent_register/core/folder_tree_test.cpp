#include <gtest/gtest.h>

#include "correspondent_register/core/folder_tree.h"
#include "correspondent_register/core/win_files.h"
#include "zorvel_test_env.h"

namespace zorvel::test {
namespace {

const std::string kMailboxMarker = "Ten plik zaznacza skrzynk\xEA pocztow\xB9 korespondenta\r\n";

class FolderTreeTest : public ZorvelTest {
 protected:
  void SetUp() override {
    ZorvelTest::SetUp();
    MailRoot = "F:\\Poczta";
  }
  // The mail system's own parent folders, in the case the peers made them.
  void MakeParents() {
    fs::create_directories(F("Poczta/skrzynki"));
    fs::create_directories(F("Poczta/FWP"));
    fs::create_directories(F("Poczta/KORESPONDENCI"));
  }
  Box Warning() const {
    return Box{"box",
               "Nie mog\xB3"
               "em skasowa\xE6 kartoteki!",
               0x30, "Warning"};
  }
};

TEST_F(FolderTreeTest, ANewCorrespondentGetsHisFoldersAndMarkersByteForByte) {
  MakeParents();
  CreateMailbox(core, MailRoot, 12);
  CreateCorrespondentFolders(core, MailRoot, 12);
  EXPECT_EQ(ReadBytes(F("Poczta/skrzynki/12/Skrzynka pocztowa")), kMailboxMarker);
  EXPECT_EQ(ReadBytes(F("Poczta/FWP/12/Jestem.tu")),
            "Ten plik aktywuje poczt\xEA korespondenta Nr  12\r\n");
  EXPECT_EQ(Entries(F("Poczta/KORESPONDENCI/12")),
            (std::vector<std::string>{"Odebrane", "Pisma", "Wyslane"}));
  // The existing parents were used, whatever their case.
  EXPECT_EQ(Entries(F("Poczta")), (std::vector<std::string>{"FWP", "KORESPONDENCI", "skrzynki"}));
  EXPECT_EQ(Entries(F("Poczta/skrzynki/12")), std::vector<std::string>{"Skrzynka pocztowa"});
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(FolderTreeTest, ExistingFoldersAreReusedAndMarkersOverwritten) {
  MakeParents();
  Touch(F("Poczta/skrzynki/7/SKRZYNKA POCZTOWA"), "old");
  Touch(F("Poczta/FWP/7/jestem.TU"), "old marker that was longer\r\n");
  fs::create_directories(F("Poczta/KORESPONDENCI/7/odebrane"));
  CreateMailbox(core, MailRoot, 7);
  CreateCorrespondentFolders(core, MailRoot, 7);
  EXPECT_EQ(ReadBytes(F("Poczta/skrzynki/7/SKRZYNKA POCZTOWA")), kMailboxMarker);
  EXPECT_EQ(ReadBytes(F("Poczta/FWP/7/jestem.TU")),
            "Ten plik aktywuje poczt\xEA korespondenta Nr  7\r\n");
  EXPECT_EQ(Entries(F("Poczta/KORESPONDENCI/7")),
            (std::vector<std::string>{"Pisma", "Wyslane", "odebrane"}));
}

TEST_F(FolderTreeTest, AMissingParentStopsTheAddAtTheMarker) {
  fs::create_directories(F("Poczta/Korespondenci"));
  EXPECT_THROW(CreateMailbox(core, MailRoot, 3), InOutError);
  EXPECT_THROW(CreateCorrespondentFolders(core, MailRoot, 3), InOutError);
  // Nothing made: the parents belong to the mail system, and the steps after
  // the failed activation marker did not run.
  EXPECT_EQ(Entries(F("Poczta")), std::vector<std::string>{"Korespondenci"});
  EXPECT_TRUE(Entries(F("Poczta/Korespondenci")).empty());
}

TEST_F(FolderTreeTest, ACorrespondentsFolderThatCannotBeMadeIsReported) {
  fs::create_directories(F("Poczta/Skrzynki"));
  fs::create_directories(F("Poczta/FWP"));
  CreateMailbox(core, MailRoot, 3);
  try {
    CreateCorrespondentFolders(core, MailRoot, 3);
    FAIL() << "no error";
  } catch (const InOutError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Nie mog\xB3"
              "em za\xB3o\xBFy\xE6 kartoteki F:\\Poczta\\Korespondenci\\3");
  }
  // The steps before it are done and stay.
  EXPECT_EQ(ReadBytes(F("Poczta/FWP/3/Jestem.tu")),
            "Ten plik aktywuje poczt\xEA korespondenta Nr  3\r\n");
  EXPECT_EQ(Entries(F("Poczta")), (std::vector<std::string>{"FWP", "Skrzynki"}));
}

TEST_F(FolderTreeTest, RemovalTakesTheWholeTreeWhateverTheCase) {
  MakeParents();
  CreateMailbox(core, MailRoot, 12);
  CreateCorrespondentFolders(core, MailRoot, 12);
  Touch(F("Poczta/KORESPONDENCI/12/Odebrane/list 1.txt"), "x");
  Touch(F("Poczta/KORESPONDENCI/12/Pisma/pismo.doc"), "y");
  Touch(F("Poczta/KORESPONDENCI/12/notatka"), "z");
  Touch(F("Poczta/skrzynki/12/.ukryty"), "h");
  CreateMailbox(core, MailRoot, 13);  // a neighbour stays
  RemoveMailFolderTree(core, MailRoot, 12);
  EXPECT_TRUE(boxes_.empty());
  EXPECT_TRUE(Entries(F("Poczta/FWP")).empty());
  EXPECT_EQ(Entries(F("Poczta/skrzynki")), std::vector<std::string>{"13"});
  EXPECT_TRUE(Entries(F("Poczta/KORESPONDENCI")).empty());
}

TEST_F(FolderTreeTest, EachFolderThatIsMissingGivesItsWarning) {
  MakeParents();
  RemoveMailFolderTree(core, MailRoot, 44);
  EXPECT_EQ(boxes_, std::vector<Box>(6, Warning()));
}

TEST_F(FolderTreeTest, AnExtraSubFolderKeepsTheCorrespondentsFolder) {
  MakeParents();
  CreateMailbox(core, MailRoot, 5);
  CreateCorrespondentFolders(core, MailRoot, 5);
  Touch(F("Poczta/KORESPONDENCI/5/Archiwum/stary.txt"), "a");
  Touch(F("Poczta/KORESPONDENCI/5/plik.txt"), "b");
  Touch(F("Poczta/KORESPONDENCI/5/Wyslane/w.txt"), "c");
  RemoveMailFolderTree(core, MailRoot, 5);
  EXPECT_EQ(boxes_, std::vector<Box>{Warning()});
  EXPECT_EQ(Entries(F("Poczta/KORESPONDENCI/5")), std::vector<std::string>{"Archiwum"});
  EXPECT_EQ(ReadBytes(F("Poczta/KORESPONDENCI/5/Archiwum/stary.txt")), "a");
  EXPECT_FALSE(fs::exists(F("Poczta/FWP/5")));
  EXPECT_FALSE(fs::exists(F("Poczta/skrzynki/5")));
}

TEST_F(FolderTreeTest, OneFolderLosesItsFilesButNotItsSubFolders) {
  Touch(F("Poczta/Kosz/a.txt"), "a");
  Touch(F("Poczta/Kosz/b"), "b");
  Touch(F("Poczta/Kosz/Pod/c.txt"), "c");
  RemoveFolderWithFiles(core, "F:\\POCZTA\\kosz");
  EXPECT_EQ(boxes_, std::vector<Box>{Warning()});
  EXPECT_EQ(Entries(F("Poczta/Kosz")), std::vector<std::string>{"Pod"});
  EXPECT_EQ(Entries(F("Poczta/Kosz/Pod")), std::vector<std::string>{"c.txt"});
  boxes_.clear();
  RemoveFolderWithFiles(core, "F:\\POCZTA\\kosz\\pod");
  RemoveFolderWithFiles(core, "F:\\POCZTA\\kosz");
  EXPECT_TRUE(boxes_.empty());
  EXPECT_TRUE(Entries(F("Poczta")).empty());
}

}  // namespace
}  // namespace zorvel::test
