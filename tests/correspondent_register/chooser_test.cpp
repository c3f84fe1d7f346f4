// The mail-root chooser: prefilled from the configuration, the folder list
// of a drive, and its confirmation, which replaces the configuration file
// only once the register is found.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "correspondent_register/core/texts.h"
#include "correspondent_register/sce.h"
#include "register_window_env.h"

namespace zorvel::test {
namespace {

class Chooser : public RegisterWindowTest {
 protected:
  void SetUp() override {
    RegisterWindowTest::SetUp();
    MakeTables({{1, "Kowalski", "Jan"}}, {{"Alfa", "1,"}});
    fs::create_directories(base_ / "c" / "Marvolt");
    ConfigFilePath = "C:\\Marvolt\\" + std::string(kConfigFileName);
    config_ = base_ / "c" / "Marvolt" / kConfigFileName;
    std::ofstream(config_, std::ios::binary) << "G:\\Dawna\r\n";
    // Start path B: the chooser first, the other two hidden.
    session.CreateWindows(true);
    Sce = session.Sce.get();
    Regler = session.Regler.get();
    Prze = session.Prze.get();
  }
  void TearDown() override {
    Sce = nullptr;
    RegisterWindowTest::TearDown();
  }
  QLineEdit* Edit() { return forms::testing::Find<QLineEdit>(Sce, "sc"); }
  QPushButton* Ok() { return forms::testing::Find<QPushButton>(Sce, "OK"); }

  fs::path config_;
  TSce* Sce = nullptr;
};

TEST_F(Chooser, ShowsTheConfiguredRootAndTheFoldersOfADrive) {
  ConfiguredRoot = "F:\\Stara";
  Sce->show();
  EXPECT_EQ(Sce->height(), 255);
  EXPECT_EQ(Sce->windowTitle().toStdString(),
            "Podaj ścieżkę do poczty lokalnej - \"Dorvik\" z folderem Naczelnik ");
  EXPECT_EQ(Edit()->text().toStdString(), "F:\\Stara");
  auto* drives = forms::testing::Find<QComboBox>(Sce, "drw");
  ASSERT_EQ(drives->count(), 2);
  drives->setCurrentIndex(drives->findText("f:"));
  auto* tree = forms::testing::Find<QTreeWidget>(Sce, "kart");
  ASSERT_EQ(tree->topLevelItemCount(), 1);
  QTreeWidgetItem* root = tree->topLevelItem(0);
  EXPECT_EQ(Sce->CurrentFolder(), "F:\\");
  ASSERT_EQ(root->childCount(), 1);
  tree->setCurrentItem(root->child(0));
  EXPECT_EQ(Edit()->text().toStdString(), "F:\\Poczta");
  root->child(0)->setExpanded(true);
  EXPECT_EQ(root->child(0)->childCount(), 4);  // FWP, Korespondenci, Naczelnik, Skrzynki
}

TEST_F(Chooser, AFolderWithoutRegisterEndsTheProgramAndKeepsTheConfiguration) {
  Sce->show();
  Edit()->setText("F:\\Nic");
  EXPECT_THROW(Sce->OKClick(), ProgramEnded);
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text, "Brak pliku Spis.dbf lub błędna ścieżka");
  EXPECT_EQ(Shown()[0].caption, "F:\\Nic\\Naczelnik\\tovmir\\spis.dbf");
  EXPECT_EQ(Shown()[0].flags, 16u);
  EXPECT_EQ(ReadBytes(config_), "G:\\Dawna\r\n");
  EXPECT_FALSE(Regler->isVisible());
}

TEST_F(Chooser, AFoundRegisterIsWrittenToTheConfigurationAndOpened) {
  Sce->show();
  Edit()->setText("F:\\Poczta");
  Ok()->click();
  EXPECT_EQ(ReadBytes(config_), "F:\\Poczta\r\n");
  EXPECT_EQ(MailRoot, "F:\\Poczta");
  EXPECT_EQ(DataDir, "F:\\Poczta\\Naczelnik\\tovmir");
  EXPECT_TRUE(fs::is_directory(base_ / "c" / "Windows" / "Kaldrin"));
  EXPECT_FALSE(Ok()->isVisible());
  EXPECT_TRUE(Sce->isVisible());
  ASSERT_TRUE(Regler->isVisible());
  EXPECT_TRUE(Regler->Spis.Active());
  EXPECT_EQ(Regler->Dane.Params[0], "Path=F:\\Poczta\\Naczelnik\\tovmir");
  EXPECT_EQ(Prze->BazaPrz.Params[0], "Path=F:\\Poczta\\Naczelnik\\tovmir");
  EXPECT_TRUE(Shown().empty());
}

TEST_F(Chooser, AConfigurationThatCannotBeWrittenIsReportedAndTheRegisterStillOpens) {
  fs::remove_all(base_ / "c" / "Marvolt");
  Sce->show();
  Edit()->setText("F:\\Poczta");
  Ok()->click();
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].flags, 0x10u);
  EXPECT_TRUE(Regler->isVisible());
  EXPECT_TRUE(Regler->Spis.Active());
}

}  // namespace
}  // namespace zorvel::test
