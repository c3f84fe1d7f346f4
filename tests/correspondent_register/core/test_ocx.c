/* A control library for the registration tests. With WITH_REGISTER_SERVER it
 * has the self-registration entry, which notes each call in the file named by
 * ZORVEL_TEST_OCX_LOG and returns ZORVEL_TEST_OCX_RESULT (0 when unset). */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

int ZorvelTestControlPresent(void) { return 1; }

#ifdef WITH_REGISTER_SERVER
int32_t DllRegisterServer(void) {
  const char* log = getenv("ZORVEL_TEST_OCX_LOG");
  if (log != NULL) {
    FILE* f = fopen(log, "a");
    if (f != NULL) {
      fputs("DllRegisterServer\n", f);
      fclose(f);
    }
  }
  const char* result = getenv("ZORVEL_TEST_OCX_RESULT");
  return result != NULL ? (int32_t)(uint32_t)strtoul(result, NULL, 0) : 0;
}
#endif
