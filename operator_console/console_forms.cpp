#include "operator_console/console_forms.h"

#include "operator_console/main_window.h"
#include "operator_console/t_komunikacja.h"
#include "operator_console/tf_okresowe_wg_numerow.h"
#include "operator_console/tf_data_godzina.h"
#include "operator_console/tf_bajty_statusu.h"
#include "operator_console/tf_raporty_okresowe_wg_dat.h"
#include "operator_console/tf_okresowe_miesieczne.h"
#include "operator_console/tf_ustaw_zegar.h"
#include "operator_console/tf_dane_uzytkownika.h"
#include "operator_console/tf_stawki_podatkowe.h"
#include "operator_console/tf_numer_unikatowy.h"
#include "operator_console/tf_odczyt_stawek.h"
#include "operator_console/tf_numer_kasy.h"
#include "operator_console/tf_ilosc_wierszy.h"
#include "operator_console/tf_sposob_zaokraglania.h"
#include "operator_console/t_about_box.h"
#include "operator_console/tf_test_wyswietlacza.h"
#include "operator_console/tf_przestawianie.h"
#include "operator_console/tf_data_i_numer.h"

TGlowneOkno* GlowneOkno = nullptr;
TKomunikacja* Komunikacja = nullptr;
TfOkresoweWgNumerow* fOkresoweWgNumerow = nullptr;
TfDataGodzina* fDataGodzina = nullptr;
TfBajtyStatusu* fBajtyStatusu = nullptr;
TfRaportyOkresoweWgDat* fRaportyOkresoweWgDat = nullptr;
TfOkresoweMiesieczne* fOkresoweMiesieczne = nullptr;
TfUstawZegar* fUstawZegar = nullptr;
TfDaneUzytkownika* fDaneUzytkownika = nullptr;
TfStawkiPodatkowe* fStawkiPodatkowe = nullptr;
TfNumerUnikatowy* fNumerUnikatowy = nullptr;
TfOdczytStawek* fOdczytStawek = nullptr;
TfNumerKasy* fNumerKasy = nullptr;
TfIloscWierszy* fIloscWierszy = nullptr;
TfSposobZaokraglania* fSposobZaokraglania = nullptr;
TAboutBox* AboutBox = nullptr;
TfTestWyswietlacza* fTestWyswietlacza = nullptr;
TfPrzestawianie* fPrzestawianie = nullptr;
TfDataINumer* fDataINumer = nullptr;

void CreateConsoleForms() {
  GlowneOkno = new TGlowneOkno();
  Komunikacja = new TKomunikacja();
  fOkresoweWgNumerow = new TfOkresoweWgNumerow();
  fDataGodzina = new TfDataGodzina();
  fBajtyStatusu = new TfBajtyStatusu();
  fRaportyOkresoweWgDat = new TfRaportyOkresoweWgDat();
  fOkresoweMiesieczne = new TfOkresoweMiesieczne();
  fUstawZegar = new TfUstawZegar();
  fDaneUzytkownika = new TfDaneUzytkownika();
  fStawkiPodatkowe = new TfStawkiPodatkowe();
  fNumerUnikatowy = new TfNumerUnikatowy();
  fOdczytStawek = new TfOdczytStawek();
  fNumerKasy = new TfNumerKasy();
  fIloscWierszy = new TfIloscWierszy();
  fSposobZaokraglania = new TfSposobZaokraglania();
  AboutBox = new TAboutBox();
  fTestWyswietlacza = new TfTestWyswietlacza();
  fPrzestawianie = new TfPrzestawianie();
  fDataINumer = new TfDataINumer();
}

void DestroyConsoleForms() {
  delete fDataINumer;
  fDataINumer = nullptr;
  delete fPrzestawianie;
  fPrzestawianie = nullptr;
  delete fTestWyswietlacza;
  fTestWyswietlacza = nullptr;
  delete AboutBox;
  AboutBox = nullptr;
  delete fSposobZaokraglania;
  fSposobZaokraglania = nullptr;
  delete fIloscWierszy;
  fIloscWierszy = nullptr;
  delete fNumerKasy;
  fNumerKasy = nullptr;
  delete fOdczytStawek;
  fOdczytStawek = nullptr;
  delete fNumerUnikatowy;
  fNumerUnikatowy = nullptr;
  delete fStawkiPodatkowe;
  fStawkiPodatkowe = nullptr;
  delete fDaneUzytkownika;
  fDaneUzytkownika = nullptr;
  delete fUstawZegar;
  fUstawZegar = nullptr;
  delete fOkresoweMiesieczne;
  fOkresoweMiesieczne = nullptr;
  delete fRaportyOkresoweWgDat;
  fRaportyOkresoweWgDat = nullptr;
  delete fBajtyStatusu;
  fBajtyStatusu = nullptr;
  delete fDataGodzina;
  fDataGodzina = nullptr;
  delete fOkresoweWgNumerow;
  fOkresoweWgNumerow = nullptr;
  delete Komunikacja;
  Komunikacja = nullptr;
  delete GlowneOkno;
  GlowneOkno = nullptr;
}
