#include "correspondent_register/core/member_lists.h"

#include <algorithm>

#include "platform/text/cp1250.h"

namespace zorvel {

namespace {

std::string W(const char* utf8) { return platform::Cp1250FromUtf8(utf8); }

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Flags every item of the list; the highest number met goes to highest.
// False with the reason when an item is not a member number.
bool ScanList(MemberFlags& flags, std::string_view list, long& highest, std::string& error) {
  size_t start = 0;
  while (start <= list.size()) {
    size_t comma = list.find(',', start);
    if (comma == std::string_view::npos) comma = list.size();
    std::string_view item = list.substr(start, comma - start);
    while (!item.empty() && Blank(item.front())) item.remove_prefix(1);
    while (!item.empty() && Blank(item.back())) item.remove_suffix(1);
    if (!item.empty()) {
      long value = 0;
      bool digits = true;
      for (char c : item) {
        if (c < '0' || c > '9') {
          digits = false;
          break;
        }
        value = std::min(value * 10 + (c - '0'), kHighestMember + 1);
      }
      if (!digits || value < kLowestMember || value > kHighestMember) {
        error = W("błędny numer \"") + std::string(item) + "\"";
        return false;
      }
      flags[static_cast<size_t>(value)] = 1;
      highest = std::max(highest, value);
    }
    start = comma + 1;
  }
  return true;
}

std::string Rebuild(const MemberFlags& flags, long upTo) {
  std::string list;
  for (long k = kLowestMember; k <= upTo; ++k) {
    if (flags[static_cast<size_t>(k)]) list += std::to_string(k) + ",";
  }
  return list;
}

bool InRange(long n) { return n >= kLowestMember && n <= kHighestMember; }

// The list with n's flag set to member (1) or not (0).
MemberListResult ListWithFlag(std::string_view list, long n, uint8_t member) {
  MemberListResult r;
  if (!InRange(n)) {
    r.Error = NumberOutOfRangeText(n);
    return r;
  }
  MemberFlags flags{};
  long highest = 0;
  if (!ScanList(flags, list, highest, r.Error)) return r;
  flags[static_cast<size_t>(n)] = member;
  r.List = Rebuild(flags, kHighestMember);
  r.Ok = true;
  return r;
}

}  // namespace

MemberListResult ListWithMember(std::string_view list, long n) { return ListWithFlag(list, n, 1); }

MemberListResult ListWithoutMember(std::string_view list, long n) {
  return ListWithFlag(list, n, 0);
}

MemberListResult ListAfterDeletion(std::string_view list, long n) {
  MemberListResult r;
  MemberFlags flags{};
  long highest = 0;
  if (!ScanList(flags, list, highest, r.Error)) return r;
  if (InRange(n)) flags[static_cast<size_t>(n)] = 0;
  r.List = Rebuild(flags, highest);
  if (r.List.size() < 2) r.List += ",";
  r.Ok = true;
  return r;
}

std::string NumberOutOfRangeText(long n) {
  return W("Numer korespondenta ") + std::to_string(n) + W(" jest spoza zakresu 1..10000");
}

std::string NoCurrentGroupText() { return W("Nie zaznaczono żadnej grupy"); }

std::string NoCurrentCorrespondentText() { return W("Nie zaznaczono żadnego korespondenta"); }

std::string ListTooLongText(const std::string& groupName) {
  return W("Lista członków grupy ") + groupName + W(" nie mieści się w polu KTO");
}

std::string BadListText(const std::string& groupName, const std::string& detail) {
  return W("Lista członków grupy ") + groupName + W(" zawiera ") + detail +
         W("; popraw ją ręcznie");
}

}  // namespace zorvel
