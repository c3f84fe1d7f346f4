#include "printer_link/link/link_object.h"

namespace kavoruw {

TPrinterLink::TPrinterLink() : LinkError(*new TLinkErrorRecord) {}

TPrinterLink::~TPrinterLink() {
  if (CommPort) CommPort->Close();
}

TPrinterLink& Link() {
  static TPrinterLink link;
  return link;
}

std::unique_ptr<TComm>& CommPort() { return Link().CommPort; }
std::atomic<int>& ConnectSettleSetting() { return Link().ConnectSettleMs; }
TLinkErrorRecord& LinkErrorRecord() { return Link().LinkError; }
TEngineRecord& EngineRecord() { return Link().Engine; }
int& PrintEndDepth() { return Link().PrintEndDepth; }
ConsoleHooks& InstalledHooks() { return Link().Hooks; }

}  // namespace kavoruw
