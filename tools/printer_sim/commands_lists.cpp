// List commands: ACK, the configured records, then 0xFF where the next record
// would start.
#include "tools/printer_sim/commands.h"

namespace printer_sim {

size_t ListRecordLength(uint8_t command) {
  switch (command) {
    case 0xA2:
    case 0xA3:
    case 0xA5: return 11;
    case 0xAD:
    case 0xAE: return 16;
    case 0xE7: return 4;
    case 0xE9:
    case 0xEE: return 20;
    case 0xEA: return 8;
    default: return 0;
  }
}

void RegisterListCommands(CommandTable& table) {
  for (uint8_t command : {0xA2, 0xA3, 0xA5, 0xAD, 0xAE, 0xE7, 0xE9, 0xEA, 0xEE}) {
    table.Register(command, [command](Frame& frame) {
      size_t length = ListRecordLength(command);
      std::vector<uint8_t> answer;
      {
        StateRef state = frame.State();
        auto it = state->listRecords.find(command);
        if (it != state->listRecords.end()) {
          for (std::vector<uint8_t> record : it->second) {
            // Every record has the command's length, so the driver's record
            // boundaries stay where it counts them.
            record.resize(length, 0x00);
            answer.insert(answer.end(), record.begin(), record.end());
          }
        }
      }
      answer.push_back(kEndOfList);
      frame.Answer(answer);
    });
  }
}

}  // namespace printer_sim
