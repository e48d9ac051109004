; ZORN1632.DLL, stand-in for the 16-bit side's partner library: a real 16-bit
; NE DLL with the 16-bit half ZORN1632_THUNKDATA16 of the SL connection to the
; provider's zorn1632_ThunkData32, and routines that the 32-bit half of the
; stand-in calls (tools/common/zorn1632_side.cpp):
;   REGISTERWINDOW(DWORD value)       target 0, QENMirevola
;   FETCHCREDENTIALS()                target 1, QENGetUseridPassword, into the
;                                     buffers of CREDENTIALS in our own data
;                                     segment (100, 20 and 20 bytes)
;   FETCHINTO(char FAR *, char FAR *, char FAR *)   target 1 with the caller's pointers
; Each answers DX:AX.
;
; Built three times more for the loading tests: ZORN1632_NO_CONNECT16,
; ZORN1632_BAD_CHECKSUM, ZORN1632_NO_BLOCK. The names are parameters, so that
; the same code can make another connection beside the provider's: MODULE16
; (this module), MODULE32 and BLOCK32 (the 32-bit half and its block), all
; three defined or none.

%include "ne.inc"

%ifdef ZORN1632_BAD_CHECKSUM
ZORN1632_CHECKSUM equ 0x5A1632A3
%else
ZORN1632_CHECKSUM equ 0x5A1632A2
%endif

%ifndef MODULE16
%define MODULE16 'ZORN1632'
%define MODULE32 'ZORNET32'
%define BLOCK32 'zorn1632_ThunkData32'
%endif
%strcat BLOCK16 MODULE16, '_THUNKDATA16'

        NE_HEADER
ne_restab:
        NE_NAME MODULE16, 0
%ifndef ZORN1632_NO_BLOCK
        NE_NAME BLOCK16, 1
%endif
%ifndef ZORN1632_NO_CONNECT16
        NE_NAME "DLLENTRYPOINT", 2
%endif
        NE_NAME "REGISTERWINDOW", 3
        NE_NAME "FETCHCREDENTIALS", 4
        NE_NAME "FETCHINTO", 5
        NE_NAME "CREDENTIALS", 6
        db 0
        NE_KERNEL_IMPORTS
ne_entrytab:
        db 1, NE_DATA
        db 1
        dw D(ne_sl_block16)             ; 1
        db 4, NE_CODE
        db 1
        dw C(ne_dllentrypoint)          ; 2
        db 1
        dw C(register_window)           ; 3
        db 1
        dw C(fetch_credentials)         ; 4
        db 1
        dw C(fetch_into)                ; 5
        db 1, NE_DATA
        db 1
        dw D(credentials)               ; 6
        db 0
ne_entrytab_end:
        NE_NONRESIDENT "ZORN1632 stand-in for the 16-bit side's partner"

; ---------------------------------------------------------------- code
        NE_SEGMENT_START code
        NE_DLLENTRYPOINT

; REGISTERWINDOW(DWORD value): the value goes up unchanged.
register_window:
        NE_SL_PASS_ON 4, 0

; FETCHCREDENTIALS(): far pointers to our own buffers, user name first.
fetch_credentials:
        push bp
        mov bp, sp
        push ds
        mov ax, NE_SELECTOR_SITE
dgroup_site equ $ - 2
        mov ds, ax
        push ds
        push D(credentials)
        push ds
        push D(credentials + 100)
        push ds
        push D(credentials + 120)
        push cs
        call ne_sl_target1
        pop ds
        pop bp
        retf

; FETCHINTO(char FAR *userName, char FAR *password, char FAR *newPassword)
fetch_into:
        NE_SL_PASS_ON 12, 1

        NE_SL_TARGET 0
        NE_SL_TARGET 1
        NE_SL_CODE_END
        NE_FIX_SELECTOR_INTERNAL C(dgroup_site), NE_DATA
        NE_RELOCS_END code

; ---------------------------------------------------------------- data
        NE_SEGMENT_START data
        NE_SL_BLOCK16 ZORN1632_CHECKSUM
        NE_SL_API_ENTRY 4               ; QENMirevola(DWORD value)
        NE_SL_API_ENTRY 12              ; QENGetUseridPassword(3 x char FAR *)
ne_thunkconnect16:
        NE_FAR_SITE
ne_module16:
        db MODULE16, '.DLL', 0
ne_module32:
        db MODULE32, '.DLL', 0
ne_block32:
        db BLOCK32, 0
credentials:                            ; user name, password, new password
        times 140 db 0
        NE_SEGMENT_END data
        NE_RELOCS_START data
        NE_SL_BLOCK_RELOCS
        NE_FIX_FARADDR_IMPORT D(ne_thunkconnect16), NE_KERNEL, 651
        NE_RELOCS_END data
