/* The public header used from plain C99, as a point-of-sale program in C
   would: it must compile with -std=c99 -pedantic-errors and link. */
#include "kavoruw.h"

#include <string.h>

int CVersionMatches(void) {
  char buffer[KAVORUW_VERSION_SIZE];
  if (pDllVersion(buffer) != 0) return 0;
  return strcmp(buffer, "10.00") == 0;
}

int CNullBufferCode(void) { return pErrMessage(20, 0); }
