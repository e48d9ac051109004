/*
 * For assembly (.S): SL_BLOCK32 block, checksum, targets starts the exported
 * 32-bit half of a 16-to-32 (SL) connection in .data, the label of its table
 * of target addresses last; the .long lines of the targets follow it. The
 * table's offset is counted from the block, as Windows 95 counts it (the DLL
 * sets it again on Wine at attach: SetTargetTableOffset).
 */
.macro SL_BLOCK32 block, checksum, targets
        .data
        .globl _\block
        .p2align 2
_\block:
        .ascii "SL01"
        .long \checksum                 /* the same in both halves */
        .long 0                         /* reserved */
        .long 0                         /* filled at connection */
        .long 0                         /* late binding */
        .long 0                         /* flags */
        .long 0, 0                      /* reserved */
        .long _\targets - _\block
        .globl _\targets
_\targets:
.endm

/*
 * SL_TARGET name, handler, bytes defines the 32-bit target
 * of a 16-to-32 connection, called by the platform with EBX at the 16-bit
 * caller's frame. The handler, WINAPI DWORD handler(const BYTE *frame),
 * converts the arguments and calls the service; the target brackets it with
 * K32Thk1632Prolog and K32Thk1632Epilog, hands its result to the 16-bit
 * caller in DX:AX and tells the platform in CL how many argument bytes to pop.
 * The result waits in ESI across the epilog: Wine's returns with EAX lost.
 */
.macro SL_TARGET name, handler, bytes
        .globl _\name
_\name:
        push    ebp
        mov     ebp, esp
        push    esi                     /* the 16-bit caller's SI and DI stay theirs */
        push    edi
        push    ebx
        call    _K32Thk1632Prolog
        push    ebx                     /* the 16-bit frame */
        call    _\handler
        mov     esi, eax
        call    _K32Thk1632Epilog
        mov     eax, esi
        mov     edx, esi
        shr     edx, 16                 /* DX:AX, the result whole */
        mov     cl, \bytes
        pop     ebx
        pop     edi
        pop     esi
        pop     ebp
        ret
.endm
