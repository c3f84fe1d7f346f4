#include "correspondent_register/core/texts.h"

#include "platform/text/cp1250.h"

namespace zorvel {

namespace {
std::string Cp(const char* utf8) { return platform::Cp1250FromUtf8(utf8); }
}  // namespace

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

}  // namespace zorvel
