#include "printer_link/receipt.h"
#include "printer_link/error_codes.h"

namespace kavoruw {

// (being written)
uint32_t ItemCount = 0;

int32_t ReceiptBegin() { return kErrInternal; }
int32_t ReceiptItem(int32_t /*kind*/, const std::string& /*name*/, int32_t /*vat*/, int32_t /*message*/, int32_t /*qty*/, int32_t /*qtyDecimals*/, const std::string& /*unit*/, int32_t /*price*/, int32_t& /*value*/) { return kErrInternal; }
int32_t pReceiptItem(int32_t /*kind*/, const char* /*name*/, int32_t /*vat*/, int32_t /*message*/, int32_t /*qty*/, int32_t /*qtyDecimals*/, const char* /*unit*/, int32_t /*price*/, int32_t* /*value*/) { return kErrInternal; }
int32_t ReceiptItemExt(int32_t /*kind*/, const std::string& /*name*/, int32_t /*vat*/, int32_t /*message*/, int32_t /*qty*/, int32_t /*qtyDecimals*/, const std::string& /*unit*/, int32_t /*price*/, int32_t& /*value*/) { return kErrInternal; }
int32_t PackageItem(int32_t /*type*/, int32_t /*number1*/, int32_t /*number2*/, int32_t /*amount*/) { return kErrInternal; }
int32_t PrintSubtotal() { return kErrInternal; }
int32_t ReceiptEnd(int32_t /*discount*/) { return kErrInternal; }
int32_t ReceiptCancel() { return kErrInternal; }
int32_t ReadTotal(std::string& /*total*/) { return kErrInternal; }
int32_t pReadTotal(char* /*buffer*/) { return kErrInternal; }
int32_t ReadSelTotal(const std::string& /*rate*/, std::string& /*total*/) { return kErrInternal; }
int32_t pReadSelTotal(const char* /*rate*/, char* /*buffer*/) { return kErrInternal; }
int32_t CharsInArticleName(const std::string& /*name*/) { return kErrInternal; }
int32_t pCharsInArticleName(const char* /*name*/) { return kErrInternal; }

}  // namespace kavoruw
