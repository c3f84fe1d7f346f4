/*
 * kavoruw.h - the fiscal printer driver's exported functions.
 *
 * Every function returns a 32-bit result: 0 for success, otherwise an error
 * code whose Polish text (Windows-1250) ErrMessage/pErrMessage give. 999 means
 * that the driver met an internal fault. The functions are not reentrant:
 * call them from one thread at a time.
 *
 * The C part below compiles as C99. Functions whose texts are C++ strings are
 * declared after it, for C++ callers only; each has a twin with the prefix p
 * that takes zero-terminated buffers instead.
 */
#ifndef KAVORUW_H
#define KAVORUW_H

#include <stdint.h>

#if defined(__GNUC__)
#define KAVORUW_API __attribute__((visibility("default")))
#else
#define KAVORUW_API
#endif

/* Size of the answer and data blocks of RSSequence. */
#define KAVORUW_BLOCK_SIZE 256

#ifdef __cplusplus
extern "C" {
#endif

/*
 * Sends one raw printer command: ESC, cmd, then reads the acknowledgement and
 * answerLen - 1 answer bytes into answer, then sends dataLen bytes of data.
 * answer must hold KAVORUW_BLOCK_SIZE bytes (all of them are written when
 * answerLen > 0); data must hold dataLen bytes. Returns 999 with nothing sent
 * for cmd or answerLen outside 0..255, dataLen outside 0..256 or a null block.
 */
KAVORUW_API int32_t RSSequence(int32_t cmd, int32_t answerLen, int32_t dataLen, uint8_t* answer,
                               const uint8_t* data);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* KAVORUW_H */
