#pragma once
// Conversion between the code page a table stores and Windows-1250, the
// text of the programs. Tables written in Windows-1250 pass unchanged.
#include <cstdint>
#include <string>
#include <string_view>

namespace dbase {

class CodePage {
 public:
  // Raises BadFormat for a code-page byte the engine does not know.
  explicit CodePage(uint8_t codePageByte);
  bool Identity() const { return identity_; }
  // Bytes the Windows-1250 side cannot show become '?'.
  std::string ToProgram(std::string_view stored) const;
  // False when a character has no place in the table's code page.
  bool ToStored(std::string_view text, std::string& stored) const;

 private:
  bool identity_ = true;
  std::string name_;
};

}  // namespace dbase
