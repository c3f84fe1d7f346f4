#pragma once
// The console's session: its state (console_state.h) and the eighteen
// dialogs, created once in their order when the main window that owns the
// session is created, alive for the whole run and shown modally when needed.
// The dialogs get the state part of the session, and what to run, passed
// in; none of them reaches another window.
#include <memory>

#include "operator_console/console_state.h"

class TKomunikacja;
class TfOkresoweWgNumerow;
class TfDataGodzina;
class TfBajtyStatusu;
class TfRaportyOkresoweWgDat;
class TfOkresoweMiesieczne;
class TfUstawZegar;
class TfDaneUzytkownika;
class TfStawkiPodatkowe;
class TfNumerUnikatowy;
class TfOdczytStawek;
class TfNumerKasy;
class TfIloscWierszy;
class TfSposobZaokraglania;
class TAboutBox;
class TfTestWyswietlacza;
class TfPrzestawianie;
class TfDataINumer;

class ConsoleSession : public ConsoleState {
 public:
  // The state starts as the program starts; the dialogs come with
  // CreateForms, once the main window stands.
  explicit ConsoleSession(ConsoleWindow& window);
  // The dialogs go in the reverse order.
  ~ConsoleSession();

  // Creates every dialog in order.
  void CreateForms();

  std::unique_ptr<TKomunikacja> Komunikacja;
  std::unique_ptr<TfOkresoweWgNumerow> fOkresoweWgNumerow;
  std::unique_ptr<TfDataGodzina> fDataGodzina;
  std::unique_ptr<TfBajtyStatusu> fBajtyStatusu;
  std::unique_ptr<TfRaportyOkresoweWgDat> fRaportyOkresoweWgDat;
  std::unique_ptr<TfOkresoweMiesieczne> fOkresoweMiesieczne;
  std::unique_ptr<TfUstawZegar> fUstawZegar;
  std::unique_ptr<TfDaneUzytkownika> fDaneUzytkownika;
  std::unique_ptr<TfStawkiPodatkowe> fStawkiPodatkowe;
  std::unique_ptr<TfNumerUnikatowy> fNumerUnikatowy;
  std::unique_ptr<TfOdczytStawek> fOdczytStawek;
  std::unique_ptr<TfNumerKasy> fNumerKasy;
  std::unique_ptr<TfIloscWierszy> fIloscWierszy;
  std::unique_ptr<TfSposobZaokraglania> fSposobZaokraglania;
  std::unique_ptr<TAboutBox> AboutBox;
  std::unique_ptr<TfTestWyswietlacza> fTestWyswietlacza;
  std::unique_ptr<TfPrzestawianie> fPrzestawianie;
  std::unique_ptr<TfDataINumer> fDataINumer;
};
