; TORVEK.DLL, stand-in for the 16-bit network client: a real 16-bit NE DLL
; whose thunk data block ZORN3216_THUNKDATA16 lists the six client entries
; (and a seventh for the benchmark, that returns at once). Each entry is thin:
; it hands its entry number and a far pointer to its own arguments, as they
; lie on the 16-bit stack, to SimTorvekCall in SIMNET.DLL through the
; platform's generic thunk (KERNEL's CallProcEx32W, which Windows 95 has), and
; returns the 16-bit answer in AX with noise in DX, so that a bridge that
; trusts more than AX is caught.
;
; FORCEDANSWERS, exported data, lets a benchmark make an entry answer at once
; in 16-bit code: a WORD flag per entry, then a WORD answer per entry.
;
; Built three times more for the loading tests: TORVEK_NO_BLOCK (the block is
; not exported), TORVEK_BAD_MAGIC, TORVEK_BAD_CHECKSUM.

%include "ne.inc"

LOADLIBRARYEX32W equ 513
GETPROCADDRESS32W equ 515
CALLPROCEX32W   equ 518
DX_NOISE        equ 0xA5A5

%ifdef TORVEK_BAD_MAGIC
%define TORVEK_MAGIC 'SL01'
%else
%define TORVEK_MAGIC 'LS01'
%endif
%ifdef TORVEK_BAD_CHECKSUM
TORVEK_CHECKSUM equ 0x5A3216A2
%else
TORVEK_CHECKSUM equ 0x5A3216A1
%endif

        NE_HEADER
ne_restab:
        NE_NAME "TORVEK", 0
%ifndef TORVEK_NO_BLOCK
        NE_NAME "ZORN3216_THUNKDATA16", 1
%endif
        NE_NAME "FORCEDANSWERS", 2
        db 0
        NE_KERNEL_IMPORTS
ne_entrytab:
        db 2, NE_DATA                   ; two entries in the data segment
        db 1                            ; exported
        dw D(thunkdata16)               ; 1 (not named without the block)
        db 1
        dw D(forced_set)                ; 2
        db 0
ne_entrytab_end:
        NE_NONRESIDENT "TORVEK stand-in for the network client"

; ---------------------------------------------------------------- code
        NE_SEGMENT_START code

; CLIENT_ENTRY number, argument bytes: a FAR PASCAL entry. The caller's DS is
; the 32-bit one: forward loads ours.
%macro CLIENT_ENTRY 2
entry%1:
        push bp
        mov bp, sp                      ; [bp+6]: the arguments, the last one first
        push ds
        push si
        mov si, %1
        mov cx, %2
        call forward
        pop si
        pop ds
        pop bp
        mov dx, DX_NOISE
        retf %2
%endmacro

        CLIENT_ENTRY 0, 4               ; GetLogonServer(char FAR *)
        CLIENT_ENTRY 1, 4               ; GetHomeDirectory(char FAR *)
        CLIENT_ENTRY 2, 16              ; ChangePassword(4 x char FAR *)
        CLIENT_ENTRY 3, 0               ; Logoff(void)
        CLIENT_ENTRY 4, 0               ; LogonServerUnavailable(void)
        CLIENT_ENTRY 5, 14              ; Logon(3 x char FAR *, WORD)

; Target 6, for the benchmark only: returns 0 at once.
entry6:
        xor ax, ax
        mov dx, DX_NOISE
        retf

; forward: SI = entry number, CX = argument bytes, BP = the entry's frame.
; Returns the forced answer, or SimTorvekCall's (-1 when SIMNET cannot be
; reached), in AX.
forward:
        mov ax, NE_SELECTOR_SITE        ; our data segment
dgroup_site equ $ - 2
        mov ds, ax
        mov bx, si
        shl bx, 1
        cmp word [bx + D(forced_set)], 0
        je .cross
        mov ax, [bx + D(forced_answer)]
        ret
.cross:
        push cx
        mov ax, [D(proc32)]
        or ax, [D(proc32) + 2]
        jnz .call
        push ds                         ; LoadLibraryEx32W("SIMNET.DLL", 0, 0)
        push D(simnet_name)
        push word 0
        push word 0
        push word 0
        push word 0
        call far [D(loadlibrary_ptr)]
        push dx                         ; GetProcAddress32W(module, "SimTorvekCall")
        push ax
        push ds
        push D(proc_name)
        call far [D(getprocaddress_ptr)]
        mov [D(proc32)], ax
        mov [D(proc32) + 2], dx
        or ax, dx
        jnz .call
        pop cx
        mov ax, -1
        ret
.call:
        pop cx
        ; CallProcEx32W(3 arguments, stdcall; convert the second; SimTorvekCall,
        ; entry, far pointer to the arguments, argument bytes): cdecl, last first.
        push word 0
        push cx
        push ss
        lea ax, [bp + 6]
        push ax
        push word 0
        push si
        push word [D(proc32) + 2]
        push word [D(proc32)]
        push word 0
        push word 2
        push word 0
        push word 3
        call far [D(callproc_ptr)]
        add sp, 24
        ret
        NE_SEGMENT_END code
        NE_RELOCS_START code
        NE_FIX_SELECTOR_INTERNAL C(dgroup_site), NE_DATA
        NE_RELOCS_END code

; ---------------------------------------------------------------- data
        NE_SEGMENT_START data
thunkdata16:                            ; the 16-bit half of the LS connection
        db TORVEK_MAGIC
        dd TORVEK_CHECKSUM
table_ptr:
        NE_FAR_SITE                     ; 16:16 pointer to the target table
        dd 0                            ; first time
targets:
%assign i 0
%rep 7
        NE_FAR_SITE
%assign i i + 1
%endrep
loadlibrary_ptr:
        NE_FAR_SITE
getprocaddress_ptr:
        NE_FAR_SITE
callproc_ptr:
        NE_FAR_SITE
proc32:
        dd 0                            ; SimTorvekCall, found on first use
forced_set:
        times 6 dw 0                    ; FORCEDANSWERS: nonzero, the entry answers at once
forced_answer:
        times 6 dw 0                    ; ... with this
simnet_name:
        db 'SIMNET.DLL', 0
proc_name:
        db 'SimTorvekCall', 0
        NE_SEGMENT_END data
        NE_RELOCS_START data
        NE_FIX_FARADDR_INTERNAL D(table_ptr), NE_DATA, D(targets)
%assign i 0
%rep 7
        NE_FIX_FARADDR_INTERNAL D(targets) + 4 * i, NE_CODE, C(entry %+ i)
%assign i i + 1
%endrep
        NE_FIX_FARADDR_IMPORT D(loadlibrary_ptr), NE_KERNEL, LOADLIBRARYEX32W
        NE_FIX_FARADDR_IMPORT D(getprocaddress_ptr), NE_KERNEL, GETPROCADDRESS32W
        NE_FIX_FARADDR_IMPORT D(callproc_ptr), NE_KERNEL, CALLPROCEX32W
        NE_RELOCS_END data
