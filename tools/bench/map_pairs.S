/*
 * The far pointers a TORVEKThunk call path makes and releases, and nothing
 * else: BareMapPairsN(p1, ..., pN) turns each flat pointer argument into a
 * 16:16 alias in place with SMapLS_IP_EBP_n and releases it again with
 * SUnMapLS_IP_EBP_n, as bridge/client_calls.S does around its crossing.
 */
        .intel_syntax noprefix
        .text

/* MAP_PAIRS n: the stdcall function _BareMapPairs<n>@<4n>. */
.macro MAP_PAIRS n
        .globl _BareMapPairs\n
_BareMapPairs\n:
        push    ebp
        mov     ebp, esp
        .if \n >= 1
        call    _SMapLS_IP_EBP_8
        .endif
        .if \n >= 2
        call    _SMapLS_IP_EBP_12
        .endif
        .if \n >= 3
        call    _SMapLS_IP_EBP_16
        .endif
        .if \n >= 4
        call    _SMapLS_IP_EBP_20
        .endif
        .if \n >= 1
        call    _SUnMapLS_IP_EBP_8
        .endif
        .if \n >= 2
        call    _SUnMapLS_IP_EBP_12
        .endif
        .if \n >= 3
        call    _SUnMapLS_IP_EBP_16
        .endif
        .if \n >= 4
        call    _SUnMapLS_IP_EBP_20
        .endif
        pop     ebp
        ret     4 * \n
.endm

        MAP_PAIRS 1
        MAP_PAIRS 3
        MAP_PAIRS 4
