#pragma once
// Member lists of the mailing groups (field KTO of GRUPY.DBF): correspondent
// numbers in ascending decimal, each followed by a comma ("3,7,12,"). Lists
// are rebuilt through a flag per number, which sorts them and drops
// duplicates in one pass over the list and one over the flags. Texts are
// Windows-1250.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zorvel {

inline constexpr long kLowestMember = 1;
inline constexpr long kHighestMember = 10000;

// Scratch flags, one per correspondent number 1..10000 (index 0 unused);
// each list operation has its own, cleared, for the time it runs.
using MemberFlags = std::array<uint8_t, kHighestMember + 1>;

// The outcome of a list operation: the new list, or why it was refused (the
// list then stays as it was).
struct MemberListResult {
  bool Ok = false;
  std::string List;
  std::string Error;
};

// Items are separated by commas; blanks around an item are ignored, an empty
// item is skipped, and the last item counts even without its comma. Every
// other item must be a number in 1..10000.
// The list with correspondent n added ("3,12," + 7 gives "3,7,12,").
MemberListResult ListWithMember(std::string_view list, long n);
// The list with n taken out; the empty string when nobody is left.
MemberListResult ListWithoutMember(std::string_view list, long n);
// The list after correspondent n was deleted from the register; a single
// comma when nobody is left (the form the other programs expect).
MemberListResult ListAfterDeletion(std::string_view list, long n);

// The refusal texts.
std::string NumberOutOfRangeText(long n);  // the correspondent's own number
std::string NoCurrentGroupText();
std::string NoCurrentCorrespondentText();
std::string ListTooLongText(const std::string& groupName);
std::string BadListText(const std::string& groupName, const std::string& detail);

}  // namespace zorvel
