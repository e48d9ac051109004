; QENTHUNK.DLL, stand-in for the 16-bit side's caller of the registry
; service: a real 16-bit NE DLL with the 16-bit half THK1632_THUNKDATA16 of
; the SL connection to QENREGIO's THK1632_ThunkData32, and one routine,
; REQUEST, that the 32-bit side of the stand-in calls (tools/common): it
; passes its own pascal arguments on to target 0, RegistryRequest, and
; answers DX:AX.
;
; Built three times more for the loading tests: QENTHUNK_NO_CONNECT16 (no
; DllEntryPoint, so ThunkConnect16 is never called), QENTHUNK_BAD_CHECKSUM,
; QENTHUNK_NO_BLOCK (the block is not exported).

%include "ne.inc"

REQUEST_BYTES   equ 18                  ; short op, short item, char FAR *data, short length,
                                        ; char FAR *name, char FAR *text
%ifdef QENTHUNK_BAD_CHECKSUM
QENTHUNK_CHECKSUM equ 0x51E6A0A4
%else
QENTHUNK_CHECKSUM equ 0x51E6A0A3
%endif

        NE_HEADER
ne_restab:
        NE_NAME "QENTHUNK", 0
%ifndef QENTHUNK_NO_BLOCK
        NE_NAME "THK1632_THUNKDATA16", 1
%endif
%ifndef QENTHUNK_NO_CONNECT16
        NE_NAME "DLLENTRYPOINT", 2
%endif
        NE_NAME "REQUEST", 3
        db 0
        NE_KERNEL_IMPORTS
ne_entrytab:
        db 1, NE_DATA
        db 1
        dw D(ne_sl_block16)             ; 1
        db 2, NE_CODE
        db 1
        dw C(ne_dllentrypoint)          ; 2
        db 1
        dw C(request)                   ; 3
        db 0
ne_entrytab_end:
        NE_NONRESIDENT "QENTHUNK stand-in for the registry service's 16-bit caller"

; ---------------------------------------------------------------- code
        NE_SEGMENT_START code
        NE_DLLENTRYPOINT

; REQUEST: FAR PASCAL with RegistryRequest's arguments; the same image goes
; up to target 0, called far, and its DX:AX comes back.
request:
        NE_SL_PASS_ON REQUEST_BYTES, 0

        NE_SL_TARGET 0
        NE_SL_CODE_END
        NE_RELOCS_END code

; ---------------------------------------------------------------- data
        NE_SEGMENT_START data
        NE_SL_BLOCK16 QENTHUNK_CHECKSUM
        NE_SL_API_ENTRY REQUEST_BYTES
ne_thunkconnect16:
        NE_FAR_SITE
ne_module16:
        db 'QENTHUNK.DLL', 0
ne_module32:
        db 'QENREGIO.DLL', 0
ne_block32:
        db 'THK1632_ThunkData32', 0
        NE_SEGMENT_END data
        NE_RELOCS_START data
        NE_SL_BLOCK_RELOCS
        NE_FIX_FARADDR_IMPORT D(ne_thunkconnect16), NE_KERNEL, 651
        NE_RELOCS_END data
