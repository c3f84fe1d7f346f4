#pragma once
// The folders of one correspondent under the mail root, and the two marker
// files that the rest of the mail system looks for:
//   MailRoot\Skrzynki\n              mailbox, marker "Skrzynka pocztowa"
//   MailRoot\FWP\n                   activation folder, marker "Jestem.tu"
//   MailRoot\Korespondenci\n         with Odebrane, Wyslane, Pisma
// The parents Skrzynki, FWP and Korespondenci belong to the mail system and
// are never made here. Names compare without regard to case.
//
// Adding correspondent n (the register window): insert the record;
//   CreateMailbox(core, mailRoot, n); CreateCorrespondentFolders(core, mailRoot, n);
//   post the record last, so that a program killed on the way (or a power
//   cut) leaves at most spare folders of a number nobody holds (the next add
//   of it reuses them).
// Deleting him, once the tables no longer hold him:
//   RemoveMailFolderTree(core, mailRoot, n). Spare folders are never removed
//   otherwise: they may hold mail.
// Each step ends with core.Hooks.StepDone() (see RegisterToolHooks::stepDone).
#include <string>

#include "correspondent_register/core/core_state.h"

namespace zorvel {

std::string MailboxFolder(const std::string& mailRoot, long number);  // mailRoot + "\Skrzynki\" + n
std::string MailboxMarkerPath(const std::string& mailRoot,
                              long number);  // ... + "\Skrzynka pocztowa"
std::string ActivationFolder(const std::string& mailRoot, long number);  // mailRoot + "\FWP\" + n
std::string ActivationMarkerPath(const std::string& mailRoot, long number);  // ... + "\Jestem.tu"
std::string CorrespondentFolder(const std::string& mailRoot,
                                long number);  // mailRoot + "\Korespondenci\" + n

// Makes the mailbox folder (a failure is ignored: it may exist) and writes
// its marker, replacing an existing one. A failed write raises InOutError.
// Each folder made here and below is flushed, with its parent, before the
// call returns (a failed flush raises InOutError): the record posted next
// never reaches the disk without them.
void CreateMailbox(const CoreState& core, const std::string& mailRoot, long number);
// Makes the activation folder and writes "Jestem.tu" (a failed write raises
// InOutError), then the correspondent's folder and its three sub-folders; an
// existing one is reused, and one that is still missing afterwards raises
// InOutError ("Nie mogłem założyć kartoteki " + folder) once all were tried.
void CreateCorrespondentFolders(const CoreState& core, const std::string& mailRoot, long number);

// Deletes every file of one folder and then the folder itself; it does not
// descend into sub-folders. A folder that cannot be removed gives the warning
// "Nie mogłem skasować kartoteki!" (caption "Warning"). Never raises.
void RemoveFolderWithFiles(const CoreState& core, const std::string& folder);
// Removes the six folders of correspondent n, sub-folders before their
// parent, each by RemoveFolderWithFiles: up to six warnings, every step runs.
void RemoveMailFolderTree(const CoreState& core, const std::string& mailRoot, long number);

}  // namespace zorvel
