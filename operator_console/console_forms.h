#pragma once
// The console's nineteen forms. They are created once, in this order, live
// for the whole run and are shown modally when needed.
class TGlowneOkno;
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

extern TGlowneOkno* GlowneOkno;
extern TKomunikacja* Komunikacja;
extern TfOkresoweWgNumerow* fOkresoweWgNumerow;
extern TfDataGodzina* fDataGodzina;
extern TfBajtyStatusu* fBajtyStatusu;
extern TfRaportyOkresoweWgDat* fRaportyOkresoweWgDat;
extern TfOkresoweMiesieczne* fOkresoweMiesieczne;
extern TfUstawZegar* fUstawZegar;
extern TfDaneUzytkownika* fDaneUzytkownika;
extern TfStawkiPodatkowe* fStawkiPodatkowe;
extern TfNumerUnikatowy* fNumerUnikatowy;
extern TfOdczytStawek* fOdczytStawek;
extern TfNumerKasy* fNumerKasy;
extern TfIloscWierszy* fIloscWierszy;
extern TfSposobZaokraglania* fSposobZaokraglania;
extern TAboutBox* AboutBox;
extern TfTestWyswietlacza* fTestWyswietlacza;
extern TfPrzestawianie* fPrzestawianie;
extern TfDataINumer* fDataINumer;

// Creates every form in order; the main window first (its single-instance
// check runs while it is created).
void CreateConsoleForms();
// Destroys them, the main window last.
void DestroyConsoleForms();
