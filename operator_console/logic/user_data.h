#pragma once
// The user-data dialog's pure parts: the two line formatters, the NIP check,
// and the seven-line user-data file (Windows-1250, CR LF).
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace console {

// Centres a header line in exactly width characters: control characters
// become blanks, a longer line is cut to width, blanks around the text are
// removed and the spare blanks split, an odd one going to the right.
void CenterLine(std::string& line, uint8_t width);
// Control characters become blanks; the line is cut or filled with blanks
// on the right to exactly width characters.
void PadLine(std::string& line, uint8_t width);

// Verdicts of ValidateNipLine, tested in this order.
inline constexpr uint8_t kNipValid = 0;
inline constexpr uint8_t kNipBadNumber = 1;  // not ten digits, or the checksum fails
inline constexpr uint8_t kNipNoDigits = 2;
inline constexpr uint8_t kNipNoWord = 3;  // no "NIP" in any case
uint8_t ValidateNipLine(const std::string& line);

// The box for a verdict other than 0. In the dialog a bad number asks
// "Aby ponownie wprowadzić NIP naciśnij NIE." (caption "Błąd", 0x14); in
// the switch to fiscal mode "Aby wyjść z procedury fiskalizacji naciśnij
// NIE." ("Odpowiedz", 0x34). Yes to that question goes on; the other two
// verdicts are plain error boxes ("Błąd", 0x10).
struct NipVerdictBox {
  std::string caption;
  uint32_t flags = 0;
  std::string text;
  bool question = false;
};
NipVerdictBox NipVerdictBoxFor(uint8_t verdict, bool fiscalization);

// Field n (from 1) of a TAB-separated line; field 1 loses one leading "$".
std::string GetTabField(uint8_t n, const std::string& line);

// The dialog's content as the file holds it: header lines 1..3 with their
// width items (0 = 40 characters, 1 = 20), and the NIP line (always 40).
struct UserDataLines {
  std::array<std::string, 4> lines;
  std::array<int, 3> widthItems{};
};

// The file's bytes: "#1", "#", "#", then "$" + text + TAB + "40"/"20" for
// lines 1..3 and "$" + NIP line + TAB + "40", each ended by CR LF. Bytes
// below 0x20 inside a text are written as blanks.
std::string UserDataFileContent(const UserDataLines& data);

// Saving and loading never throw; a failure comes back as the text of a
// "Błąd" box naming the file.
struct UserDataSaveResult {
  bool ok = false;
  std::string errorText;
};
// Replaces the file as platform::ReplaceFile does (a link is replaced
// itself), so a failed save leaves the previous file as it was.
UserDataSaveResult SaveUserDataFile(const std::filesystem::path& path, const UserDataLines& data);

// What loading takes into the dialog, in the order it takes it: on a format
// error the fields taken before it are set and the others are not.
struct UserDataLoadResult {
  bool ok = false;
  std::string errorText;                            // "Błędny format pliku " + name, or I/O
  std::array<std::optional<std::string>, 4> lines;  // texts taken
  std::array<std::optional<int>, 3> widthItems;     // width items taken
};
// Lines may end in CR LF or LF; lines 1..3 are ignored; lines missing at the
// end read as empty. On success the NIP edit is to be enabled.
UserDataLoadResult LoadUserDataFile(const std::filesystem::path& path);
// The same from the file's bytes; fileName is the name the error text shows.
UserDataLoadResult ParseUserDataFile(const std::string& content, const std::string& fileName);

}  // namespace console
