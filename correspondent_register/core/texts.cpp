#include "correspondent_register/core/texts.h"

#include <cerrno>

#include "platform/text/cp1250.h"

namespace zorvel {

using platform::Cp;

const std::string& MissingCompanyFolderText() {
  static const std::string text = Cp("Brak C:\\Marvolt");
  return text;
}

const std::string& CompanyFolderFailedText() {
  static const std::string text = Cp("Nieudane tworzenie folderu \"C:\\Marvolt\"");
  return text;
}

const std::string& MissingRegisterText() {
  static const std::string text = Cp("Brak pliku Spis.dbf lub błędna ścieżka");
  return text;
}

const std::string& ChooserCaption() {
  static const std::string text =
      Cp("Podaj ścieżkę do poczty lokalnej - \"Dorvik\" z folderem Naczelnik ");
  return text;
}

std::string AlertCaption(const std::string& shortDate, const std::string& longTime) {
  return "Uwaga!   " + shortDate + ",  " + longTime;
}

const std::string& RemoveFolderWarningText() {
  static const std::string text = Cp("Nie mogłem skasować kartoteki!");
  return text;
}

const std::string& MailboxMarkerLine() {
  static const std::string text = Cp("Ten plik zaznacza skrzynkę pocztową korespondenta");
  return text;
}

std::string CreateFolderFailedText(const std::string& folder) {
  static const std::string prefix = Cp("Nie mogłem założyć kartoteki ");
  return prefix + folder;
}

std::string ActivationMarkerLine(long number) {
  static const std::string prefix = Cp("Ten plik aktywuje pocztę korespondenta Nr  ");
  return prefix + std::to_string(number);
}

const std::string& RegisteringSmtpText() {
  static const std::string text = Cp("Rejestruję NetManage SMPT");
  return text;
}

std::string SystemErrorText(int err) {
  switch (err) {
    case EACCES:
    case EPERM: return Cp("odmowa dostępu");
    case ENOENT: return Cp("nie znaleziono pliku lub folderu");
    case EEXIST: return Cp("plik już istnieje");
    case ENOTDIR: return Cp("element ścieżki nie jest folderem");
    case EISDIR: return Cp("to jest folder");
    case ENOTEMPTY: return Cp("folder nie jest pusty");
    case EBUSY: return Cp("plik jest w użyciu");
    case EROFS: return Cp("dysk jest tylko do odczytu");
    case ENOSPC: return Cp("brak miejsca na dysku");
    case EDQUOT: return Cp("przekroczony przydział miejsca na dysku");
    case EFBIG: return Cp("plik jest za duży");
    case EMFILE:
    case ENFILE: return Cp("za dużo otwartych plików");
    case ENAMETOOLONG: return Cp("za długa nazwa pliku");
    case EIO: return Cp("błąd wejścia/wyjścia");
    case EAGAIN: return Cp("zasób chwilowo niedostępny");
    case EINVAL: return Cp("nieprawidłowy argument");
    default: return Cp("błąd systemu nr ") + std::to_string(err);
  }
}

const std::string& RichTextLossText() {
  static const std::string text =
      Cp("Ta przepowiednia zawiera formatowanie, którego edytor nie zachowa (inne czcionki, "
         "kolory, układ akapitów, obrazy lub tabele). Zapisanie zmian usunie je.\r"
         "Czy mimo to zmienić tekst?");
  return text;
}

std::string TableNotWritableText(const std::string& file, const std::string& reason) {
  return Cp("Nie można zmieniać tabeli ") + file + ": " + reason;
}

std::string ReadOnlyRegisterText(const std::string& file, const std::string& reason) {
  return Cp("Tabela ") + file + Cp(" jest uszkodzona lub tylko do odczytu (") + reason +
         Cp(").\rDane można tylko przeglądać: dopisywanie, zmiany, kasowanie, zmiany grup i "
            "pakowanie są wyłączone do czasu naprawy lub odtworzenia pliku.");
}

std::string NoWriteAccessText(const std::string& file, const std::string& reason) {
  return Cp("Tabela ") + file + Cp(" jest tylko do odczytu (") + reason +
         Cp(").\rProgram nie ma prawa zapisu do plików tej tabeli lub do jej folderu. Dane można "
            "tylko przeglądać: dopisywanie, zmiany, kasowanie, zmiany grup i pakowanie są "
            "wyłączone, dopóki program nie dostanie tego prawa i nie zostanie uruchomiony "
            "ponownie.");
}

std::string OfferPackRepairText(const std::string& file, const std::string& reason,
                                const std::string& folder) {
  return Cp("Tabela ") + file + Cp(" jest uszkodzona (") + reason +
         Cp(").\rPakowanie ją naprawi: odbuduje indeks z rekordów tabeli, zostawi tylko całe "
            "rekordy, a nieczytelne notatki wyczyści. Uszkodzone pliki zostaną zachowane w "
            "folderze ") +
         folder + Cp(" pod nazwami z dopiskiem _USZKODZONY.\rCzy spakować tabelę teraz?");
}

std::string PackRepairedText(const std::vector<std::string>& repairs,
                             const std::vector<std::string>& backups) {
  std::string text = Cp("Pakowanie zakończone. Naprawiono:");
  for (const auto& r : repairs) text += "\r- " + r;
  if (!backups.empty()) text += Cp("\rKopie uszkodzonych plików:");
  for (const auto& b : backups) text += "\r- " + b;
  return text;
}

}  // namespace zorvel
