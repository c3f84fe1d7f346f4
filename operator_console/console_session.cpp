#include "operator_console/console_session.h"

#include "operator_console/t_about_box.h"
#include "operator_console/t_komunikacja.h"
#include "operator_console/tf_bajty_statusu.h"
#include "operator_console/tf_dane_uzytkownika.h"
#include "operator_console/tf_data_godzina.h"
#include "operator_console/tf_data_i_numer.h"
#include "operator_console/tf_ilosc_wierszy.h"
#include "operator_console/tf_numer_kasy.h"
#include "operator_console/tf_numer_unikatowy.h"
#include "operator_console/tf_odczyt_stawek.h"
#include "operator_console/tf_okresowe_miesieczne.h"
#include "operator_console/tf_okresowe_wg_numerow.h"
#include "operator_console/tf_przestawianie.h"
#include "operator_console/tf_raporty_okresowe_wg_dat.h"
#include "operator_console/tf_sposob_zaokraglania.h"
#include "operator_console/tf_stawki_podatkowe.h"
#include "operator_console/tf_test_wyswietlacza.h"
#include "operator_console/tf_ustaw_zegar.h"

ConsoleSession::ConsoleSession(ConsoleWindow& window) : ConsoleState(&window) {}

ConsoleSession::~ConsoleSession() {
  fDataINumer.reset();
  fPrzestawianie.reset();
  fTestWyswietlacza.reset();
  AboutBox.reset();
  fSposobZaokraglania.reset();
  fIloscWierszy.reset();
  fNumerKasy.reset();
  fOdczytStawek.reset();
  fNumerUnikatowy.reset();
  fStawkiPodatkowe.reset();
  fDaneUzytkownika.reset();
  fUstawZegar.reset();
  fOkresoweMiesieczne.reset();
  fRaportyOkresoweWgDat.reset();
  fBajtyStatusu.reset();
  fDataGodzina.reset();
  fOkresoweWgNumerow.reset();
  Komunikacja.reset();
}

void ConsoleSession::CreateForms() {
  Komunikacja = std::make_unique<TKomunikacja>(*this);
  fOkresoweWgNumerow = std::make_unique<TfOkresoweWgNumerow>(*this);
  fDataGodzina = std::make_unique<TfDataGodzina>(*this);
  fBajtyStatusu = std::make_unique<TfBajtyStatusu>(*this);
  fRaportyOkresoweWgDat = std::make_unique<TfRaportyOkresoweWgDat>(*this);
  fOkresoweMiesieczne = std::make_unique<TfOkresoweMiesieczne>(*this);
  fUstawZegar = std::make_unique<TfUstawZegar>(*this);
  fDaneUzytkownika = std::make_unique<TfDaneUzytkownika>(*this);
  fStawkiPodatkowe = std::make_unique<TfStawkiPodatkowe>(*this);
  fNumerUnikatowy = std::make_unique<TfNumerUnikatowy>(*this);
  fOdczytStawek = std::make_unique<TfOdczytStawek>(*this);
  fNumerKasy = std::make_unique<TfNumerKasy>(*this);
  fIloscWierszy = std::make_unique<TfIloscWierszy>(*this);
  fSposobZaokraglania = std::make_unique<TfSposobZaokraglania>(*this);
  AboutBox = std::make_unique<TAboutBox>(*this);
  fTestWyswietlacza = std::make_unique<TfTestWyswietlacza>(*this);
  fPrzestawianie = std::make_unique<TfPrzestawianie>(*this);
  fDataINumer = std::make_unique<TfDataINumer>(*this);
}
