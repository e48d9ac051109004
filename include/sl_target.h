/*
 * For assembly (.S): SL_TARGET name, handler, bytes defines the 32-bit target
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
