#include "dbase/code_page.h"

#include <errno.h>
#include <iconv.h>

#include <cstdio>

#include "dbase/dbase.h"

namespace dbase {

std::string Table::CodePageName(uint8_t b) {
  switch (b) {
    case 0x00:
    case 0xC8: return "CP1250";
    case 0x01:
    case 0x09:
    case 0x0B:
    case 0x0D:
    case 0x0F:
    case 0x11:
    case 0x15:
    case 0x18:
    case 0x19:
    case 0x1B: return "CP437";
    case 0x02:
    case 0x0A:
    case 0x0E:
    case 0x10:
    case 0x12:
    case 0x14:
    case 0x16:
    case 0x1A:
    case 0x1D:
    case 0x25:
    case 0x37: return "CP850";
    case 0x1F:
    case 0x22:
    case 0x23:
    case 0x40:
    case 0x64: return "CP852";
    case 0x03:
    case 0x57:
    case 0x58:
    case 0x59: return "CP1252";
    case 0x26:
    case 0x65: return "CP866";
    case 0xC9: return "CP1251";
    default: return "";
  }
}

namespace {

// Converts with iconv; false on a character the target cannot hold.
bool Convert(const std::string& from, const std::string& to, std::string_view in, std::string& out,
             bool replace) {
  iconv_t cd = iconv_open(to.c_str(), from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out.clear();
  out.reserve(in.size());
  std::string src(in);
  char* inp = src.data();
  size_t inLeft = src.size();
  bool ok = true;
  while (inLeft > 0) {
    char buf[256];
    char* outp = buf;
    size_t outLeft = sizeof(buf);
    size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    out.append(buf, static_cast<size_t>(outp - buf));
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      if (!replace) {
        ok = false;
        break;
      }
      out.push_back('?');
      ++inp;
      --inLeft;
    }
  }
  iconv_close(cd);
  return ok;
}

}  // namespace

CodePage::CodePage(uint8_t b) {
  name_ = Table::CodePageName(b);
  if (name_.empty()) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", b);
    throw DbError(ErrorCode::BadFormat,
                  std::string("Nieznana strona kodowa tabeli (bajt ") + hex + ")");
  }
  identity_ = name_ == "CP1250";
}

std::string CodePage::ToProgram(std::string_view stored) const {
  if (identity_) return std::string(stored);
  std::string out;
  Convert(name_, "CP1250", stored, out, true);
  return out;
}

bool CodePage::ToStored(std::string_view text, std::string& stored) const {
  if (identity_) {
    stored.assign(text);
    return true;
  }
  return Convert("CP1250", name_, text, stored, false);
}

}  // namespace dbase
