/*
 * The 32-to-16 side of ZORN3216: the thunk data block zorn3216_ThunkData32,
 * one call path per TORVEK entry, and the transition that Wine needs.
 *
 * A call path is what the platform's thunk compiler would generate: a frame
 * whose 64 bytes below EBP belong to QT_Thunk, the target number at [EBP-4]
 * (the QT stub reads it there), each pointer argument turned into a far
 * pointer in place with SMapLS_IP_EBP_n, the 16-bit arguments pushed in
 * pascal order (the first declared first), the call through the transition,
 * the 16-bit result in AX widened with its sign, and the far pointers released
 * with SUnMapLS_IP_EBP_n, which keep EAX.
 */
        .intel_syntax noprefix

/* The block: the layout ThunkConnect32 expects. The platform writes code into
 * the two stub areas, so the section is writable and executable. */
        .section .thunk, "dwx"
        .globl _zorn3216_ThunkData32
        .p2align 2
_zorn3216_ThunkData32:
        .ascii "LS01"
        .long 0x5A3216A1                /* the client-call connection's checksum */
        .long 0                         /* target table, filled at connection */
        .long 0                         /* late binding */
        .long 0                         /* flags */
        .long 0, 0                      /* reserved */
        .long qt_stub - _zorn3216_ThunkData32
        .long ft_stub - _zorn3216_ThunkData32
qt_stub:
        .fill 32, 1, 0xCC
ft_stub:
        .fill 32, 1, 0xCC

/* Where every call path goes: the QT stub in the block, or WineTransition;
 * chosen at process attach. */
        .data
        .globl _zorn3216_transition
        .p2align 2
_zorn3216_transition:
        .long 0
/* WOWCallback16Ex, on Wine only (found at run time, never imported). */
        .globl _zorn3216_wowcallback16ex
_zorn3216_wowcallback16ex:
        .long 0

        .text

/* CALL_PATH name, target, pointers, word, bytes: a stdcall function of
 * `pointers` flat pointers, and with word=1 one more 32-bit argument of which
 * only the low 16 bits cross; bytes is its 32-bit argument size. The symbol
 * is undecorated: bridge.h names it for C. */
.macro CALL_PATH name, target, pointers, word, bytes
        .globl _\name
_\name:
        push    ebp
        mov     ebp, esp
        push    \target                 /* [EBP-4]: the target number */
        sub     esp, 60                 /* the rest of QT_Thunk's 64 bytes */
        .if \pointers >= 1
        call    _SMapLS_IP_EBP_8        /* far pointers, in place, first argument first */
        .endif
        .if \pointers >= 2
        call    _SMapLS_IP_EBP_12
        .endif
        .if \pointers >= 3
        call    _SMapLS_IP_EBP_16
        .endif
        .if \pointers >= 4
        call    _SMapLS_IP_EBP_20
        .endif
        .if \pointers >= 1              /* the 16-bit arguments, pascal order */
        push    dword ptr [ebp + 8]
        .endif
        .if \pointers >= 2
        push    dword ptr [ebp + 12]
        .endif
        .if \pointers >= 3
        push    dword ptr [ebp + 16]
        .endif
        .if \pointers >= 4
        push    dword ptr [ebp + 20]
        .endif
        .if \word
        push    word ptr [ebp + 8 + 4 * \pointers]  /* narrowed: only the low 16 bits */
        .endif
        call    dword ptr [_zorn3216_transition]    /* pops the 16-bit arguments */
        movsx   eax, ax                 /* a 16-bit result; DX is undefined */
        .if \pointers >= 1
        call    _SUnMapLS_IP_EBP_8      /* release, first argument first; EAX kept */
        .endif
        .if \pointers >= 2
        call    _SUnMapLS_IP_EBP_12
        .endif
        .if \pointers >= 3
        call    _SUnMapLS_IP_EBP_16
        .endif
        .if \pointers >= 4
        call    _SUnMapLS_IP_EBP_20
        .endif
        leave
        ret     \bytes
.endm

        CALL_PATH CallGetLogonServer,         0, 1, 0, 4
        CALL_PATH CallGetHomeDirectory,       1, 1, 0, 4
        CALL_PATH CallChangePassword,         2, 4, 0, 16
        CALL_PATH CallLogoff,                 3, 0, 0, 0
        CALL_PATH CallLogonServerUnavailable, 4, 0, 0, 0
        CALL_PATH CallLogon,                  5, 3, 1, 16

/*
 * WineTransition: QT_Thunk's contract (target number at [EBP-4], the 16-bit
 * arguments between ESP and EBP-64, result in DX:AX, arguments popped), with
 * the far call made by WOWCallback16Ex: Wine's own QT_Thunk runs the 16-bit
 * code but returns with EAX lost.
 */
        .globl _zorn3216_WineTransition
_zorn3216_WineTransition:
        pop     dword ptr [ebp - 8]     /* our return address, kept in QT_Thunk's area */
        movzx   ecx, byte ptr [ebp - 4]
        mov     edx, dword ptr [_zorn3216_ThunkData32 + 8]
        mov     edx, dword ptr [edx + 4 * ecx]      /* the 16:16 target */
        lea     eax, [ebp - 64]
        sub     eax, esp                /* the argument bytes */
        lea     ecx, [ebp - 12]
        push    ecx                     /* pdwRetCode: DX:AX as one DWORD */
        lea     ecx, [esp + 4]
        push    ecx                     /* pArgs: the argument image, as it lies */
        push    eax                     /* cbArgs */
        push    0                       /* WCB16_PASCAL */
        push    edx                     /* vpfn16 */
        call    dword ptr [_zorn3216_wowcallback16ex]
        lea     esp, [ebp - 64]         /* the 16-bit entry popped its arguments */
        mov     eax, dword ptr [ebp - 12]
        mov     edx, eax
        shr     edx, 16
        jmp     dword ptr [ebp - 8]
