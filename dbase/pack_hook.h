#pragma once
// A hook that tests use to stop a pack between its steps (a simulated crash):
// Seams().packStep, empty in the programs. Steps: 0 new files made and partly
// written, 1 new files written and synced, 2 journal written, 3.. after each
// rename (table, memos, index).
#include "dbase/file_io.h"
