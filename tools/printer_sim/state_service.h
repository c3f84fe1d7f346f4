#pragma once
// What the simulated printer keeps for its service commands.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace printer_sim {

struct ServiceState {
  // Drawer opened last, 1..3 (0: none yet). Opening also clears the
  // drawer-closed bit of s4 until someone closes it (SetStatus).
  uint8_t lastDrawer = 0;
  // Register number (two digits) and operator code (two characters), as 'C'
  // stores them; 0xD8 answers these four bytes.
  std::array<uint8_t, 4> printerNumber{'0', '1', 'A', 'A'};
  // Lines fed out ('F').
  uint8_t feedCount = 5;
  // Rounding mode character '0'..'2' ('t').
  uint8_t rounding = '0';
  // Step of the last display test ('2'), -1 when none ran.
  int displayStep = -1;
  // Price-buffer clears ('w') and EPROM tests (apostrophe) done.
  int priceBufferClears = 0;
  int epromTests = 0;
  // Set by 0xFD "00000": the printer has switched itself off.
  bool poweredOff = false;
  // The 11 characters that 'q' answers.
  std::string uniqueNumber = "ABC12345678";

  // The receipt header, four lines. text: 40 bytes in code page 852 (a
  // 20-character line is padded with blanks); width: the flag as written
  // (1 = 20 characters, others 40).
  struct UserDataLine {
    uint8_t width = 0;
    std::string text = std::string(40, ' ');
    bool written = true;
  };
  std::array<UserDataLine, 4> userData;
  // The byte that follows each 0x9C line: 0 stores it, anything else refuses.
  uint8_t userDataWriteResult = 0;
  // Control printouts ('3') and the lines of the last one, as printed
  // (code page 852, 20 or 40 bytes each).
  int controlPrintouts = 0;
  std::array<std::string, 4> controlLines;

  // 0x72: the 20-byte fiscalization record last received, and the reply
  // byte to give instead of the printer's own verdict, changing nothing
  // (-1: judge; used once).
  std::vector<uint8_t> fiscalizationRecord;
  int nextFiscalizationReply = -1;
  // Backslash: article-base clears done, the data byte last received, and the
  // confirmation byte to give instead of the printer's verdict (-1: judge;
  // used once).
  int articleBaseClears = 0;
  int articleBaseByte = -1;
  int nextArticleBaseReply = -1;
};

}  // namespace printer_sim
