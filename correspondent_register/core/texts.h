#pragma once
// Fixed paths and texts of the tool. Paths are Windows paths; the texts are
// Windows-1250 strings, converted once from the UTF-8 of the source.
#include <string>
#include <vector>

namespace zorvel {

// Paths.
inline constexpr char kCompanyFolder[] = "C:\\Marvolt";
inline constexpr char kConfigFileName[] = "Konfiguracja programu poczty lokalnej.atk";
inline constexpr char kDefaultMailRoot[] = "F:\\Poczta";
inline constexpr char kRegisterSubPath[] = "\\Naczelnik\\tovmir";
inline constexpr char kRegisterFileSubPath[] = "\\Naczelnik\\tovmir\\spis.dbf";
inline constexpr char kLegacyIniFile[] = "c:\\Windows\\Sonvar.ini";
inline constexpr char kKaldrinFolder[] = "C:\\Windows\\Kaldrin";

// Start-up and the mail-root chooser.
const std::string& MissingCompanyFolderText();  // Brak C:\Marvolt
const std::string& CompanyFolderFailedText();   // Nieudane tworzenie folderu "C:\Marvolt"
const std::string& MissingRegisterText();       // Brak pliku Spis.dbf lub błędna ścieżka
const std::string& ChooserCaption();
// "Uwaga!   " + date (system short format) + ",  " + time (system long format).
std::string AlertCaption(const std::string& shortDate, const std::string& longTime);

// Folder tree.
inline constexpr char kWarningCaption[] = "Warning";
const std::string& RemoveFolderWarningText();  // Nie mogłem skasować kartoteki!
const std::string& MailboxMarkerLine();
// "Nie mogłem założyć kartoteki " + the folder (the error of a folder that
// could not be made).
std::string CreateFolderFailedText(const std::string& folder);
std::string ActivationMarkerLine(long number);

// A system error (errno) in Polish, as the user's error box shows it.
std::string SystemErrorText(int err);

// The register's tables.
// "Nie można zmieniać tabeli " + file + ": " + reason (a read-only or
// damaged table: what the window refuses to write).
std::string TableNotWritableText(const std::string& file, const std::string& reason);
// The box at the register window's show when a table is opened read-only.
std::string ReadOnlyRegisterText(const std::string& file, const std::string& reason);
// The same when the program may not write the table's files.
std::string NoWriteAccessText(const std::string& file, const std::string& reason);
// Asked when a table opened read-only for damage that packing repairs; the
// backups go to folder.
std::string OfferPackRepairText(const std::string& file, const std::string& reason,
                                const std::string& folder);
// The closing box of a pack that repaired damage: each repair and backup on
// a line of its own (no backup line when nothing was kept).
std::string PackRepairedText(const std::vector<std::string>& repairs,
                             const std::vector<std::string>& backups);

// Asked before a prediction whose other formatting the editor cannot keep is
// changed.
const std::string& RichTextLossText();

// The control registration that no window starts.
inline constexpr char kSmtpClassDescription[] = "NetManage SMTP";
inline constexpr char kSmtpControlFile[] = "c:\\windows\\system\\smtpct.ocx";
const std::string& RegisteringSmtpText();  // Rejestruję NetManage SMPT

}  // namespace zorvel
