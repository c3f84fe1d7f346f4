// The first activation, the device check and the communication dialog
// against the simulated printer.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QAction>
#include <QPushButton>

#include "forms/radio_group.h"
#include "forms/spin_edit.h"
#include "kavoruw_core.h"
#include "operator_console/console.h"
#include "operator_console/console_session.h"
#include "operator_console/main_window.h"
#include "operator_console/t_komunikacja.h"
#include "printer_link/api/link_instance.h"
#include "printer_link/port/comm.h"
#include "tests/operator_console/console_fixture.h"
#include "tests/support/scripted_message_boxes.h"

namespace {

using console::testing::ConsoleTest;
using forms::testing::Find;

const char* const kGenerationItems[] = {"Odczytuytkownika1",
                                        "Miesiczny1",
                                        "Miesiczny2",
                                        "Wedugnumerw1",
                                        "Wedugnumerw2",
                                        "Opiswstaych1",
                                        "Zdalnewyaczeniedrukarki1",
                                        "Wy1",
                                        "N41",
                                        "Zapis1"};

const char kNotFiscal[] = "Błąd|2010|Podłączone urządzenie nie jest drukarką fiskalną";

// Confirms the dialog as it stands.
void Confirm(forms::Form& dialog) {
  forms::testing::Focus(Find<forms::SpinEdit>(&dialog, "seNumerPortu"));
  forms::testing::Key(&dialog, Qt::Key_Return);
}

class DeviceCheck : public ConsoleTest {
 protected:
  explicit DeviceCheck(uint8_t kind = 3, int port = 1) : ConsoleTest(kind, port) {}
  void SetUp() override {
    ConsoleTest::SetUp();
    // A silent printer is given up on after a second.
    kavoruw::Link().DriverState.PortReadTimeout = 1;
  }
  int EnabledGenerationItems() {
    int enabled = 0;
    for (const char* name : kGenerationItems) enabled += Item(name)->isEnabled() ? 1 : 0;
    return enabled;
  }
  // Every box comes after the tone, with the arrow cursor.
  void ExpectToneAndArrowBeforeEachBox() {
    const auto& lines = TraceLines();
    for (size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].rfind("box ", 0) != 0) continue;
      bool toned = false;
      for (size_t j = i; j-- > 0 && lines[j].rfind("box ", 0) != 0;)
        toned = toned || lines[j] == "tone 1000 50";
      EXPECT_TRUE(toned) << "no tone before " << lines[i];
    }
  }
  void SetUpBoxWatch() {
    boxes.onShow = [this](const forms::BoxRecord& box) {
      EXPECT_FALSE(GlowneOkno->BusyCursorShown()) << "busy cursor during " << box.text;
    };
  }
};

TEST_F(DeviceCheck, WithoutArgumentsTheDialogAsksThenThePrinterFillsTheStatusBar) {
  SetUpBoxWatch();
  OnModal("TKomunikacja", [this](forms::Form& dialog) {
    EXPECT_EQ(Find<forms::SpinEdit>(&dialog, "seNumerPortu")->Value(), 1);
    EXPECT_EQ(Find<forms::RadioGroup>(&dialog, "rgPredkosc")->ItemIndex(), 0);
    // Centred over the main window.
    EXPECT_EQ(dialog.x(), GlowneOkno->x() + (GlowneOkno->width() - dialog.width()) / 2);
    EXPECT_EQ(dialog.y(), GlowneOkno->y() + (GlowneOkno->height() - dialog.height()) / 2);
    Find<QPushButton>(&dialog, "Button1")->click();
  });
  ASSERT_TRUE(Start({}));
  EXPECT_EQ(Panel(0), "KAVOR II GENERACJI");
  EXPECT_EQ(Panel(1), "COM1, 9600 b/s");
  EXPECT_EQ(session->ComPortNumber, 1);
  EXPECT_EQ(session->ComBaudRate, 9600);
  EXPECT_EQ(EnabledGenerationItems(), 10);
  EXPECT_TRUE(Boxes().empty());
  const auto& lines = TraceLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "tone 1000 50");
  EXPECT_EQ(lines[1], "modal TKomunikacja");
  EXPECT_EQ(TraceOf("progress").front(), "progress Sprawdzanie typu podłączonego urządzenia...");
  EXPECT_EQ(TraceOf("progress").back(), "progress");
}

TEST_F(DeviceCheck, OnlyThePortOnTheCommandLineStillAsks) {
  OnModal("TKomunikacja", [](forms::Form& dialog) { dialog.Close(); });
  ASSERT_TRUE(Start({"COM1"}));
  EXPECT_EQ(Panel(0), "");
  EXPECT_EQ(TraceOf("modal"), std::vector<std::string>{"modal TKomunikacja"});
}

class SecondGenerationOnCom2 : public DeviceCheck {
 protected:
  SecondGenerationOnCom2() : DeviceCheck(3, 2) {}
};

TEST_F(SecondGenerationOnCom2, PortAndSpeedOnTheCommandLineNeedNoDialog) {
  ASSERT_TRUE(Start({"COM2", "19200"}));
  EXPECT_TRUE(TraceOf("modal").empty());
  EXPECT_EQ(Panel(0), "KAVOR II GENERACJI");
  EXPECT_EQ(Panel(1), "COM2, 19200 b/s");
  EXPECT_EQ(EnabledGenerationItems(), 10);
  EXPECT_TRUE(Boxes().empty());
  // The dialog opens on the settings in use.
  int port = 0, speed = -1;
  OnModal("TKomunikacja", [&](forms::Form& dialog) {
    port = Find<forms::SpinEdit>(&dialog, "seNumerPortu")->Value();
    speed = Find<forms::RadioGroup>(&dialog, "rgPredkosc")->ItemIndex();
    forms::testing::Key(&dialog, Qt::Key_Escape);
  });
  Pick("Parametry1");
  EXPECT_EQ(port, 2);
  EXPECT_EQ(speed, 1);
}

TEST_F(SecondGenerationOnCom2, TabGoesPortSpeedConfirmAndTheArrowsChangeTheSpeed) {
  ASSERT_TRUE(Start({"COM2", "19200"}));
  std::vector<std::string> stops;
  int speedAfterArrows = -1, speedBackAgain = -1;
  OnModal("TKomunikacja", [&](forms::Form& dialog) {
    auto* port = Find<forms::SpinEdit>(&dialog, "seNumerPortu");
    auto* speed = Find<forms::RadioGroup>(&dialog, "rgPredkosc");
    forms::testing::Focus(port);
    const auto name = [&] {
      QWidget* focus = dialog.focusWidget();
      return focus == nullptr ? std::string("none") : focus->objectName().toStdString();
    };
    for (int i = 0; i < 3; ++i) {
      forms::testing::Key(&dialog, Qt::Key_Tab);
      stops.push_back(name());
    }
    forms::testing::Key(&dialog, Qt::Key_Backtab);
    stops.push_back(name());
    forms::testing::Key(&dialog, Qt::Key_Backtab);
    stops.push_back(name());
    forms::testing::Key(&dialog, Qt::Key_Left);
    speedAfterArrows = speed->ItemIndex();
    forms::testing::Key(&dialog, Qt::Key_Down);
    speedBackAgain = speed->ItemIndex();
    forms::testing::Key(&dialog, Qt::Key_Escape);
  });
  Pick("Parametry1");
  EXPECT_EQ(stops, (std::vector<std::string>{"rgPredkosc_1", "Button1", "seNumerPortu", "Button1",
                                             "rgPredkosc_1"}));
  EXPECT_EQ(speedAfterArrows, 0);
  EXPECT_EQ(speedBackAgain, 1);
}

TEST_F(SecondGenerationOnCom2, TheDialogConfirmsNewSettingsAndEscapeKeepsTheOldOnes) {
  ASSERT_TRUE(Start({"COM2", "19200"}));
  // Typed and abandoned: the next check still uses COM2 at 19200.
  OnModal("TKomunikacja", [](forms::Form& dialog) {
    auto* spin = Find<forms::SpinEdit>(&dialog, "seNumerPortu");
    spin->SetText("7");
    Find<forms::RadioGroup>(&dialog, "rgPredkosc")->setItemIndex(0);
    forms::testing::Key(&dialog, Qt::Key_Escape);
  });
  Pick("Parametry1");
  EXPECT_EQ(session->ComPortNumber, 2);
  EXPECT_EQ(Find<forms::SpinEdit>(session->Komunikacja.get(), "seNumerPortu")->Value(), 2);
  uint8_t kind = 0;
  bool errorShown = true;
  EXPECT_TRUE(session->CheckConnectedDevice(kind, errorShown));
  EXPECT_EQ(kind, 3);
  EXPECT_FALSE(errorShown);
  EXPECT_EQ(Panel(1), "COM2, 19200 b/s");

  // Confirmed: the new speed is used from then on.
  OnModal("TKomunikacja", [](forms::Form& dialog) {
    Find<forms::RadioGroup>(&dialog, "rgPredkosc")->setItemIndex(0);
    Confirm(dialog);
  });
  Pick("Parametry1");
  EXPECT_EQ(session->ComBaudRate, 9600);
  EXPECT_EQ(Panel(1), "COM2, 9600 b/s");
  EXPECT_TRUE(Boxes().empty());
  EXPECT_FALSE(Item("Inicjowaniezegara1")->isVisible());
  EXPECT_FALSE(Item("Raportrozliczeniowy1")->isEnabled());
}

TEST_F(DeviceCheck, PortZeroIsRefusedAsAMissingPortAndAPortAboveTheRangeIsClamped) {
  ASSERT_TRUE(Start({"COM1", "9600"}));
  sim.ClearLog();
  OnModal("TKomunikacja", [this](forms::Form& dialog) {
    Find<forms::SpinEdit>(&dialog, "seNumerPortu")->SetText("0");
    kavoruw::ClosePortObject();  // so that an opening would show
    Confirm(dialog);
    EXPECT_TRUE(dialog.isVisible()) << "refused: the dialog stays open";
    EXPECT_FALSE(kavoruw::Link().PortIsOpen()) << "nothing opened";
    EXPECT_EQ(TraceLines().back(),
              "box Błąd 2010 Brak portu COM0 w systemie.\rNależy ustawić parametry komunikacji");
    EXPECT_EQ(TraceLines()[TraceLines().size() - 3], "tone 1000 50");
    dialog.Close();
  });
  Pick("Parametry1");
  EXPECT_TRUE(sim.Received().empty());
  EXPECT_EQ(session->ComPortNumber, 1);
  EXPECT_EQ(Boxes().size(), 1u);
  boxes.shown.clear();

  OnModal("TKomunikacja", [](forms::Form& dialog) {
    Find<forms::SpinEdit>(&dialog, "seNumerPortu")->SetText("150");
    Confirm(dialog);
    EXPECT_TRUE(dialog.isVisible()) << "no COM99: the dialog stays open";
    dialog.Close();
  });
  Pick("Parametry1");
  EXPECT_EQ(Boxes(),
            std::vector<std::string>{
                "Błąd|2010|Brak portu COM99 w systemie.\rNależy ustawić parametry komunikacji"});
  EXPECT_EQ(session->ComPortNumber, 99);
}

class FirstGeneration : public DeviceCheck {
 protected:
  FirstGeneration() : DeviceCheck(2) {}
};

TEST_F(FirstGeneration, TheGenerationItemsAreDisabled) {
  ASSERT_TRUE(Start({"COM1", "9600"}));
  EXPECT_EQ(Panel(0), "KAVOR I GENERACJI");
  EXPECT_EQ(EnabledGenerationItems(), 0);
  EXPECT_TRUE(Item("Fiskalnydobowy1")->isEnabled());
}

class OtherDevice : public DeviceCheck {
 protected:
  OtherDevice() : DeviceCheck(7) {}
};

TEST_F(OtherDevice, ADeviceThatIsNoFiscalPrinterIsRefused) {
  SetUpBoxWatch();
  ASSERT_TRUE(Start({"COM1", "9600"}));
  EXPECT_EQ(Boxes(), std::vector<std::string>{kNotFiscal});
  ExpectToneAndArrowBeforeEachBox();
  // Every printer action starts with the check and is refused the same way.
  uint8_t kind = 0;
  {
    ActionScope action(*session);
    EXPECT_FALSE(session->StandardDeviceCheck(kind));
    EXPECT_EQ(TraceLines().back().rfind("box ", 0), 0u);
  }
  EXPECT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes().back(), kNotFiscal);
  EXPECT_EQ(TraceLines().back(), "progress") << "the action's end erases the progress text";
}

TEST_F(DeviceCheck, AMissingPortIsReportedAndTheDialogOpens) {
  SetUpBoxWatch();
  OnModal("TKomunikacja", [](forms::Form& dialog) { dialog.Close(); });
  ASSERT_TRUE(Start({"com5", "9600"}));
  EXPECT_EQ(Boxes(),
            std::vector<std::string>{
                "Błąd|2010|Brak portu COM5 w systemie.\rNależy ustawić parametry komunikacji"});
  ExpectToneAndArrowBeforeEachBox();
  std::vector<std::string> lines = TraceLines();
  // The dialog's close erases the text, and so does the end of the
  // activation.
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines.back(), "progress");
  while (!lines.empty() && lines.back() == "progress") lines.pop_back();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "tone 1000 50");
  EXPECT_EQ(lines.back(), "modal TKomunikacja");
}

TEST_F(DeviceCheck, ABusyPortIsReported) {
  const std::string path = (portDir / "COM1").string();
  const int holder = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
  OnModal("TKomunikacja", [](forms::Form& dialog) { dialog.Close(); });
  ASSERT_TRUE(Start({"COM1", "9600"}));
  ::close(holder);
  EXPECT_EQ(Boxes(),
            std::vector<std::string>{
                "Błąd|2010|Nie można otworzyć portu COM1.\rPrawdopodobnie jest używany przez "
                "inną aplikację"});
  ExpectToneAndArrowBeforeEachBox();
}

TEST_F(DeviceCheck, ASilentPrinterGivesTheDriversTextAndTheDialog) {
  SetUpBoxWatch();
  sim.SetPowerOff(true);
  OnModal("TKomunikacja", [](forms::Form& dialog) { dialog.Close(); });
  ASSERT_TRUE(Start({"COM1", "9600"}));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "Błąd");
  EXPECT_EQ(boxes.shown[0].flags, 0x2010u);
  EXPECT_FALSE(boxes.shown[0].text.empty());
  std::string expected;
  EXPECT_EQ(boxes.shown[0].text, forms::Utf8(kavoruw::ErrorText(kavoruw::kErrReceive)));
  EXPECT_EQ(TraceOf("modal"), std::vector<std::string>{"modal TKomunikacja"});
  EXPECT_EQ(Panel(0), "");
  ExpectToneAndArrowBeforeEachBox();
}

}  // namespace
