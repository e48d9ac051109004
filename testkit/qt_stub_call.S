/*
 * DWORD WINAPI CallThroughQtStub(void *stub, DWORD target): a 32-to-16 call
 * path with no arguments, as the thunk compiler makes it, through the QT_Thunk
 * stub the platform wrote into a connected LS block.
 */
        .intel_syntax noprefix
        .text
        .globl _CallThroughQtStub
_CallThroughQtStub:
        push    ebp
        mov     ebp, esp
        push    dword ptr [ebp + 12]    /* [EBP-4]: the target number the stub reads */
        sub     esp, 60                 /* QT_Thunk's 64 bytes below EBP */
        call    dword ptr [ebp + 8]
        movsx   eax, ax
        leave
        ret     8
