; BARESL16.DLL: the 16-bit half of a bare 16-to-32 connection whose targets
; do nothing (BARESL32.DLL): the platform's SL thunk by itself, for the
; benchmark's baselines and the tests. NOTHING12 has QENGetUseridPassword's
; shape (three far pointers, target 0), NOTHING18 RegistryRequest's (target 1).

%include "ne.inc"


        NE_HEADER
ne_restab:
        NE_NAME "BARESL16", 0
        NE_NAME "BARE_THUNKDATA16", 1
        NE_NAME "DLLENTRYPOINT", 2
        NE_NAME "NOTHING12", 3
        NE_NAME "NOTHING18", 4
        db 0
        NE_KERNEL_IMPORTS
ne_entrytab:
        db 1, NE_DATA
        db 1
        dw D(ne_sl_block16)
        db 3, NE_CODE
        db 1
        dw C(ne_dllentrypoint)
        db 1
        dw C(nothing12)
        db 1
        dw C(nothing18)
        db 0
ne_entrytab_end:
        NE_NONRESIDENT "bare 16-to-32 calls"

        NE_SEGMENT_START code
        NE_DLLENTRYPOINT

nothing12:
        NE_SL_PASS_ON 12, 0
nothing18:
        NE_SL_PASS_ON 18, 1

        NE_SL_TARGET 0
        NE_SL_TARGET 1
        NE_SL_CODE_END
        NE_RELOCS_END code

        NE_SEGMENT_START data
        NE_SL_BLOCK16 0x42454E43
        NE_SL_API_ENTRY 12
        NE_SL_API_ENTRY 18
ne_thunkconnect16:
        NE_FAR_SITE
ne_module16:
        db 'BARESL16.DLL', 0
ne_module32:
        db 'BARESL32.DLL', 0
ne_block32:
        db 'bare_ThunkData32', 0
        NE_SEGMENT_END data
        NE_RELOCS_START data
        NE_SL_BLOCK_RELOCS
        NE_FIX_FARADDR_IMPORT D(ne_thunkconnect16), NE_KERNEL, 651
        NE_RELOCS_END data
