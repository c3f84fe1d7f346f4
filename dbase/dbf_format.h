#pragma once
// The .DBF layout: the 32-byte header, the field descriptors, and the text
// forms of the field types inside a record.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dbase/dbase.h"

namespace dbase {

inline constexpr uint8_t kVersionNoMemo = 0x03;
inline constexpr uint8_t kVersionDBase3Memo = 0x83;
inline constexpr uint8_t kVersionDBase4Memo = 0x8B;
inline constexpr char kEndOfFile = 0x1A;
// In the header: the date of the last update (3 bytes) and the row count (4).
inline constexpr uint64_t kDateAt = 1;
inline constexpr uint64_t kCountAt = 4;

struct FieldLayout {
  FieldDef def;
  uint32_t offset = 0;   // inside the record, after the deleted flag
  bool indexed = false;  // a production tag on this single field
};

struct DbfHeader {
  uint8_t version = kVersionNoMemo;
  uint8_t year = 0, month = 1, day = 1;  // year since 1900
  uint32_t recordCount = 0;
  uint16_t headerLength = 0;
  uint16_t recordLength = 0;
  bool production = false;   // byte 28: a production .MDX belongs to the table
  uint8_t codePageByte = 0;  // byte 29
  std::vector<FieldLayout> fields;
  TableLevel level = TableLevel::DBase4;

  bool HasMemo() const;
  // The whole header with descriptors and terminator.
  std::string Serialize() const;
  // The first 32 bytes are enough to tell the size of the rest.
  static DbfHeader Parse(const std::string& bytes, const std::string& path);
  void Layout();  // offsets, record and header lengths from the fields
  void StampToday();
};

// Checks one field definition and fills in fixed lengths; raises BadFormat.
FieldDef NormalisedField(const FieldDef& f);
bool ValidName(std::string_view name, size_t max);
std::string Upper(std::string_view s);

// Field texts. Stored values are the raw bytes of the field in the record.
// Program-side values are Windows-1250 text (converted by the caller).
std::string TrimRight(std::string_view s);
std::string Trim(std::string_view s);
bool IsBlank(std::string_view s);
// Builds the stored bytes of a value given as text (already in the table's
// code page for C). Raises ValueTooWide / InvalidValue.
std::string EncodeText(const FieldDef& f, std::string_view text);
std::string EncodeInteger(const FieldDef& f, int64_t value);
// The program form of a stored N/F/L/D value ("" for null).
std::string DecodeValue(const FieldDef& f, std::string_view stored);
// Memo block number of an M field; 0 when none.
uint32_t MemoBlock(std::string_view stored);
std::string MemoField(uint32_t block);

}  // namespace dbase
