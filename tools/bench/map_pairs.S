/*
 * The far pointers a TORVEKThunk call path makes and releases, and nothing
 * else: BareMapPairsN(p1, p2, p3, p4) turns each of its first N flat pointer
 * arguments into a 16:16 alias in place with SMapLS_IP_EBP_n and releases it
 * again with SUnMapLS_IP_EBP_n, as bridge/client_calls.S does around its
 * crossing.
 */
        .intel_syntax noprefix
        .text

/* MAP_PAIRS n: the stdcall function _BareMapPairs<n>@16. */
.macro MAP_PAIRS n
        .globl _BareMapPairs\n
_BareMapPairs\n:
        push    ebp
        mov     ebp, esp
        .irp call, SMapLS_IP_EBP_, SUnMapLS_IP_EBP_
        .irp offset, 8, 12, 16, 20
        .if \offset <= 4 + 4 * \n
        call    _\call\offset
        .endif
        .endr
        .endr
        pop     ebp
        ret     16
.endm

        MAP_PAIRS 1
        MAP_PAIRS 3
        MAP_PAIRS 4
