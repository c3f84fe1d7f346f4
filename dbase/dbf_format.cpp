#include "dbase/dbf_format.h"

#include <cctype>
#include <charconv>
#include <cstring>
#include <ctime>

namespace dbase {

namespace {

uint16_t Get16(const std::string& b, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}
uint32_t Get32(const std::string& b, size_t at) {
  return static_cast<uint32_t>(Get16(b, at)) | static_cast<uint32_t>(Get16(b, at + 2)) << 16;
}
void Put16(std::string& b, size_t at, uint16_t v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>(v >> 8);
}
void Put32(std::string& b, size_t at, uint32_t v) {
  Put16(b, at, static_cast<uint16_t>(v & 0xFFFF));
  Put16(b, at + 2, static_cast<uint16_t>(v >> 16));
}

[[noreturn]] void TooWide(const FieldDef& f, std::string_view text) {
  throw DbError(ErrorCode::ValueTooWide,
                "Wartość \"" + std::string(text) + "\" nie mieści się w polu " + f.name);
}
[[noreturn]] void Invalid(const FieldDef& f, std::string_view text) {
  throw DbError(ErrorCode::InvalidValue,
                "Wartość \"" + std::string(text) + "\" jest nieprawidłowa dla pola " + f.name);
}

bool ValidDate(std::string_view s) {
  if (s.size() != 8) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  int y = std::stoi(std::string(s.substr(0, 4)));
  int m = std::stoi(std::string(s.substr(4, 2)));
  int d = std::stoi(std::string(s.substr(6, 2)));
  if (y < 1 || m < 1 || m > 12 || d < 1) return false;
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int max = kDays[m - 1];
  if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) max = 29;
  return d <= max;
}

bool FitsItsType(const FieldDef& f) {
  switch (f.type) {
    case FieldType::Character: return f.length >= 1;
    case FieldType::Numeric:
    case FieldType::Float: return f.length >= 1 && f.length <= 20 && f.decimals <= f.length;
    case FieldType::Logical: return f.length == 1;
    case FieldType::Date: return f.length == 8;
    case FieldType::Memo: return f.length == 10;
  }
  return false;
}

}  // namespace

std::string Upper(std::string_view s) {
  std::string r(s);
  for (auto& c : r) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return r;
}

bool ValidName(std::string_view name, size_t max) {
  if (name.empty() || name.size() > max) return false;
  if (!std::isalpha(static_cast<unsigned char>(name[0]))) return false;
  for (char c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
  return true;
}

FieldDef NormalisedField(const FieldDef& in) {
  FieldDef f = in;
  f.name = Upper(f.name);
  if (!ValidName(f.name, 10))
    throw DbError(ErrorCode::BadFormat, "Nieprawidłowa nazwa pola \"" + in.name + "\"");
  auto bad = [&] { throw DbError(ErrorCode::BadFormat, "Nieprawidłowy rozmiar pola " + f.name); };
  switch (f.type) {
    case FieldType::Character:
      if (f.length < 1 || f.length > 254) bad();
      f.decimals = 0;
      break;
    case FieldType::Numeric:
    case FieldType::Float:
      if (f.length < 1 || f.length > 20 || f.decimals < 0) bad();
      if (f.decimals > 0 && f.decimals > f.length - 2) bad();
      break;
    case FieldType::Logical: f.length = 1, f.decimals = 0; break;
    case FieldType::Date: f.length = 8, f.decimals = 0; break;
    case FieldType::Memo: f.length = 10, f.decimals = 0; break;
    default: throw DbError(ErrorCode::BadFormat, "Nieobsługiwany typ pola " + f.name);
  }
  return f;
}

bool DbfHeader::HasMemo() const {
  for (const auto& f : fields)
    if (f.def.type == FieldType::Memo) return true;
  return false;
}

void DbfHeader::Layout() {
  uint32_t offset = 0;
  for (auto& f : fields) {
    f.offset = offset;
    offset += static_cast<uint32_t>(f.def.length);
  }
  recordLength = static_cast<uint16_t>(offset + 1);
  headerLength = static_cast<uint16_t>(32 + 32 * fields.size() + 1);
  if (HasMemo()) version = level == TableLevel::DBase3 ? kVersionDBase3Memo : kVersionDBase4Memo;
  else version = kVersionNoMemo;
}

void DbfHeader::StampToday() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  year = static_cast<uint8_t>(tm.tm_year);
  month = static_cast<uint8_t>(tm.tm_mon + 1);
  day = static_cast<uint8_t>(tm.tm_mday);
}

std::string DbfHeader::Serialize() const {
  std::string b(headerLength, '\0');
  b[0] = static_cast<char>(version);
  b[1] = static_cast<char>(year);
  b[2] = static_cast<char>(month);
  b[3] = static_cast<char>(day);
  Put32(b, 4, recordCount);
  Put16(b, 8, headerLength);
  Put16(b, 10, recordLength);
  if (level == TableLevel::DBase4) {
    b[28] = production ? 1 : 0;
    b[29] = static_cast<char>(codePageByte);
  } else {
    b[29] = static_cast<char>(codePageByte);
  }
  size_t at = 32;
  for (const auto& f : fields) {
    std::memcpy(&b[at], f.def.name.data(), f.def.name.size());
    b[at + 11] = static_cast<char>(f.def.type);
    b[at + 16] = static_cast<char>(f.def.length);
    b[at + 17] = static_cast<char>(f.def.decimals);
    if (level == TableLevel::DBase4 && f.indexed) b[at + 31] = 1;
    at += 32;
  }
  b[at] = 0x0D;
  return b;
}

DbfHeader DbfHeader::Parse(const std::string& b, const std::string& path) {
  auto bad = [&](const std::string& why) -> DbfHeader {
    throw DbError(ErrorCode::BadFormat, "Plik " + path + " nie jest tabelą dBASE (" + why + ")");
  };
  if (b.size() < 32) return bad("za krótki nagłówek");
  DbfHeader h;
  h.version = static_cast<uint8_t>(b[0]);
  if (h.version == kVersionDBase3Memo) h.level = TableLevel::DBase3;
  else if (h.version == kVersionDBase4Memo || h.version == 0x04) h.level = TableLevel::DBase4;
  else if (h.version == kVersionNoMemo) h.level = TableLevel::DBase4;
  else return bad("wersja " + std::to_string(h.version));
  h.year = static_cast<uint8_t>(b[1]);
  h.month = static_cast<uint8_t>(b[2]);
  h.day = static_cast<uint8_t>(b[3]);
  h.recordCount = Get32(b, 4);
  h.headerLength = Get16(b, 8);
  h.recordLength = Get16(b, 10);
  h.production = b[28] == 1;
  h.codePageByte = static_cast<uint8_t>(b[29]);
  if (b.size() < h.headerLength) return bad("za krótki nagłówek");
  uint32_t offset = 0;
  for (size_t at = 32; at + 32 <= h.headerLength && b[at] != 0x0D; at += 32) {
    FieldLayout f;
    size_t len = 0;
    while (len < 11 && b[at + len] != '\0') ++len;
    f.def.name = Upper(std::string_view(&b[at], len));
    char t = static_cast<char>(std::toupper(static_cast<unsigned char>(b[at + 11])));
    if (std::strchr("CNFLDM", t) == nullptr || t == '\0') return bad("typ pola " + f.def.name);
    f.def.type = static_cast<FieldType>(t);
    f.def.length = static_cast<uint8_t>(b[at + 16]);
    f.def.decimals = static_cast<uint8_t>(b[at + 17]);
    // A width the type cannot have: values would be read from, and written
    // over, the neighbouring fields.
    if (f.def.name.empty() || !FitsItsType(f.def))
      return bad("pole " + f.def.name + " o szerokości " + std::to_string(f.def.length));
    f.indexed = b[at + 31] == 1;
    f.offset = offset;
    offset += static_cast<uint32_t>(f.def.length);
    h.fields.push_back(f);
  }
  if (h.fields.empty()) return bad("brak pól");
  if (offset + 1 != h.recordLength) return bad("długość rekordu");
  return h;
}

std::string TrimRight(std::string_view s) {
  size_t n = s.size();
  while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\0')) --n;
  return std::string(s.substr(0, n));
}

std::string Trim(std::string_view s) {
  size_t a = 0;
  while (a < s.size() && s[a] == ' ') ++a;
  return TrimRight(s.substr(a));
}

bool IsBlank(std::string_view s) {
  for (char c : s)
    if (c != ' ' && c != '\0') return false;
  return true;
}

namespace {

// Checks a decimal number "[-]digits[.digits]" and writes it with exactly
// the field's decimals, right-aligned.
std::string EncodeNumber(const FieldDef& f, std::string_view original) {
  std::string t = Trim(original);
  if (t.empty()) return std::string(static_cast<size_t>(f.length), ' ');
  size_t i = 0;
  bool negative = false;
  if (t[i] == '-' || t[i] == '+') negative = t[i++] == '-';
  std::string whole, frac;
  bool dot = false;
  for (; i < t.size(); ++i) {
    char c = t[i];
    if (c == '.' && !dot) {
      dot = true;
    } else if (c >= '0' && c <= '9') {
      (dot ? frac : whole) += c;
    } else {
      Invalid(f, original);
    }
  }
  if (whole.empty() && frac.empty()) Invalid(f, original);
  // Fraction digits beyond the field's decimals would be lost: refused,
  // unless they are zeros.
  while (frac.size() > static_cast<size_t>(f.decimals)) {
    if (frac.back() != '0') TooWide(f, original);
    frac.pop_back();
  }
  while (frac.size() < static_cast<size_t>(f.decimals)) frac += '0';
  size_t lead = 0;
  while (lead + 1 < whole.size() && whole[lead] == '0') ++lead;
  whole = whole.substr(lead);
  if (whole.empty()) whole = "0";
  bool zero = whole == "0" && frac.find_first_not_of('0') == std::string::npos;
  std::string out = (negative && !zero ? "-" : "") + whole;
  if (f.decimals > 0) out += "." + frac;
  if (out.size() > static_cast<size_t>(f.length)) TooWide(f, original);
  return std::string(static_cast<size_t>(f.length) - out.size(), ' ') + out;
}

}  // namespace

std::string EncodeText(const FieldDef& f, std::string_view text) {
  size_t width = static_cast<size_t>(f.length);
  switch (f.type) {
    case FieldType::Character: {
      std::string t = TrimRight(text);
      if (t.size() > width) TooWide(f, text);
      return t + std::string(width - t.size(), ' ');
    }
    case FieldType::Numeric:
    case FieldType::Float: return EncodeNumber(f, text);
    case FieldType::Logical: {
      std::string t = Trim(text);
      if (t.empty()) return " ";
      if (t.size() == 1) {
        char c = static_cast<char>(std::toupper(static_cast<unsigned char>(t[0])));
        if (c == 'T' || c == 'Y' || c == '1') return "T";
        if (c == 'F' || c == 'N' || c == '0') return "F";
      }
      Invalid(f, text);
    }
    case FieldType::Date: {
      std::string t = Trim(text);
      if (t.empty()) return std::string(8, ' ');
      if (!ValidDate(t)) Invalid(f, text);
      return t;
    }
    case FieldType::Memo: break;
  }
  Invalid(f, text);
}

std::string EncodeInteger(const FieldDef& f, int64_t value) {
  if (f.type == FieldType::Logical) return EncodeText(f, value ? "T" : "F");
  if (f.type == FieldType::Date || f.type == FieldType::Memo) Invalid(f, std::to_string(value));
  return EncodeText(f, std::to_string(value));
}

std::string DecodeValue(const FieldDef& f, std::string_view stored) {
  switch (f.type) {
    case FieldType::Numeric:
    case FieldType::Float: return Trim(stored);
    case FieldType::Logical: {
      char c = stored.empty()
                   ? ' '
                   : static_cast<char>(std::toupper(static_cast<unsigned char>(stored[0])));
      if (c == 'T' || c == 'Y') return "T";
      if (c == 'F' || c == 'N') return "F";
      return "";
    }
    case FieldType::Date: return Trim(stored);
    default: return TrimRight(stored);
  }
}

uint32_t MemoBlock(std::string_view stored) {
  std::string t = Trim(stored);
  uint32_t v = 0;
  if (t.empty()) return 0;
  auto r = std::from_chars(t.data(), t.data() + t.size(), v);
  if (r.ec != std::errc() || r.ptr != t.data() + t.size()) return 0;
  return v;
}

std::string MemoField(uint32_t block) {
  if (block == 0) return std::string(10, ' ');
  std::string n = std::to_string(block);
  return std::string(10 - n.size(), ' ') + n;
}

}  // namespace dbase
