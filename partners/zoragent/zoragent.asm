; ZORAGENT.EXE, stand-in for the network client's 16-bit program: a Win16
; application (NE executable) that runs as its own task, in its own process.
; It loads ZORN1632 and QENTHUNK, registers a hidden window of its own with the
; provider (REGISTERWINDOW: QENMirevola, up through the SL thunk), and on each
; message 3000 fetches the credentials into its own 100/20/20-byte buffers
; (FETCHINTO: QENGetUseridPassword) and reads the persistent connections
; (item 7) and the remembered domain (item 2) through QENTHUNK's REQUEST
; (RegistryRequest). Every event is one line of a journal file.
;
;   ZORAGENT.EXE JOURNAL [/s:SECONDS] [/32]
;     JOURNAL     the journal file (a Windows path without spaces), made anew
;     /s:SECONDS  stop after that many seconds (otherwise at WM_CLOSE)
;     /32         load ZORNET32.DLL and QENREGIO.DLL first (LoadLibraryEx32W),
;                 so that the 32-bit halves connect before the 16-bit ones
;
; Exit status: 0 after a clean stop; 2 no journal; 3 a library or routine that
; cannot be had; 4 a window that cannot be made or registered.
;
; Another program can be built from this one: nasm -DAGENT_EXTENSION="FILE"
; includes FILE first, which may define AGENT_MODULE (its module name) and
; any of these macros, each used where its name says (HOOK below):
;   MORE_IMPORTS     further imports, in the form of IMPORTS
;   ON_OPTION        each option /X:N but /s, AH its letter (lower case), DX
;                    its number (hexadecimal)
;   ON_FETCHED       after each notice's fetch
;   ON_MESSAGE       in the window procedure, AX a message it does not handle
;                    itself; jumps to .zero when it has handled it
;   MORE_CODE, MORE_DATA  routines, and data, of its own

%include "ne.inc"

%ifdef AGENT_EXTENSION
%include AGENT_EXTENSION
%endif
%ifndef AGENT_MODULE
%define AGENT_MODULE "ZORAGENT"
%endif
; HOOK name[, argument]: the extension's macro of that name, if it has one.
%macro HOOK 1-2
%ifmacro %1
        %1 %2
%endif
%endmacro

NE_USER         equ 2                   ; module reference of USER

WM_DESTROY      equ 0x0002
WM_CLOSE        equ 0x0010
WM_TIMER        equ 0x0113
WM_NOTICE       equ 3000                ; the provider's notice of a logon or logoff

CONNECTION_ROOM equ 1400                ; item 7: 40-byte entries, device at 0, path at 9
CONNECTION_SIZE equ 40
TEXT_ROOM       equ 1024                ; item 2
LINE_ROOM       equ 700

        NE_APP_HEADER start, 0x400, 0x2000
ne_restab:
        NE_NAME AGENT_MODULE, 0
        db 0
ne_modref:
        dw kernel_name - ne_imptab
        dw user_name - ne_imptab
ne_imptab:
        db 0
kernel_name:
        db 6, 'KERNEL'
user_name:
        db 4, 'USER'
ne_entrytab:
        db 0
ne_entrytab_end:
        NE_NONRESIDENT "ZORAGENT stand-in for the network client's 16-bit program"

; The imported entries, each called far through a slot in the data segment
; that the loader fills: name, module reference, ordinal.
%macro IMPORTS 1
        %1 InitTask, NE_KERNEL, 91
        %1 WaitEvent, NE_KERNEL, 30
        %1 DOS3Call, NE_KERNEL, 102
        %1 LoadLibrary, NE_KERNEL, 95
        %1 GetProcAddress, NE_KERNEL, 50
        %1 LoadLibraryEx32W, NE_KERNEL, 513
        %1 _lcreat, NE_KERNEL, 83
        %1 _lwrite, NE_KERNEL, 86
        %1 _lclose, NE_KERNEL, 81
        %1 InitApp, NE_USER, 5
        %1 RegisterClass, NE_USER, 57
        %1 CreateWindow, NE_USER, 41
        %1 GetMessage, NE_USER, 108
        %1 TranslateMessage, NE_USER, 113
        %1 DispatchMessage, NE_USER, 114
        %1 DefWindowProc, NE_USER, 107
        %1 PostQuitMessage, NE_USER, 6
        %1 SetTimer, NE_USER, 10
        %1 DestroyWindow, NE_USER, 53
        HOOK MORE_IMPORTS, %1
%endmacro
%macro IMPORT_SLOT 3
imp_%1: NE_FAR_SITE
%endmacro
%macro IMPORT_FIXUP 3
        NE_FIX_FARADDR_IMPORT D(imp_%1), %2, %3
%endmacro
%define CALL_IMPORT(name) call far [D(imp_ %+ name)]

; JOURNAL text: appends a string of the data segment to the line.
%macro JOURNAL 1
        mov si, D(%1)
        call put_str
%endmacro

; ---------------------------------------------------------------- code
        NE_SEGMENT_START code

; The task's start: DS is DGROUP; InitTask answers AX 0 on failure, the
; instance in DI and the command line at ES:BX.
start:
        CALL_IMPORT(InitTask)
        or ax, ax
        jnz .started
        mov al, 3
        jmp exit
.started:
        mov [D(instance)], di
        call copy_command_line
        push word 0
        CALL_IMPORT(WaitEvent)
        push word [D(instance)]
        CALL_IMPORT(InitApp)
        call parse_command_line
        call open_journal
        JOURNAL s_started
        call flush_line

        cmp byte [D(load32_first)], 0
        je .sixteen
        mov si, D(s_zornet32)
        call load_32_first
        jc fail_library
        mov si, D(s_qenregio)
        call load_32_first
        jc fail_library
.sixteen:
        mov si, D(s_zorn1632)
        call load_16
        jc fail_library
        mov si, D(s_registerwindow)
        mov di, D(fn_register)
        call find_routine
        jc fail_library
        mov si, D(s_fetchinto)
        mov di, D(fn_fetchinto)
        call find_routine
        jc fail_library
        mov si, D(s_qenthunk)
        call load_16
        jc fail_library
        mov si, D(s_request)
        mov di, D(fn_request)
        call find_routine
        jc fail_library

        call make_window
        jc fail_window
        push word 0                     ; QENMirevola(window): the provider
        push word [D(window)]           ; posts 3000 there from now on
        call far [D(fn_register)]
        push dx
        push ax
        JOURNAL s_registered
        mov ax, [D(window)]
        call put_hex16
        JOURNAL s_answered
        pop ax
        pop dx
        call put_hex32
        call flush_line

        cmp word [D(seconds)], 0
        je .loop
        push word [D(window)]           ; SetTimer(window, 1, 1000 ms, no callback)
        push word 1
        push word 1000
        push word 0
        push word 0
        CALL_IMPORT(SetTimer)
.loop:
        push ds                         ; GetMessage(&message, 0, 0, 0)
        push D(message)
        push word 0
        push word 0
        push word 0
        CALL_IMPORT(GetMessage)
        or ax, ax
        jz .quit
        push ds
        push D(message)
        CALL_IMPORT(TranslateMessage)
        push ds
        push D(message)
        CALL_IMPORT(DispatchMessage)
        jmp .loop
.quit:
        push word 0                     ; QENMirevola(0): no more notices
        push word 0
        call far [D(fn_register)]
        push dx
        push ax
        JOURNAL s_unregistered
        pop ax
        pop dx
        call put_hex32
        call flush_line
        mov al, 0
        jmp stop

fail_window:
        JOURNAL s_failed
        JOURNAL s_no_window
        call flush_line
        mov al, 4
        jmp stop
fail_library:
        mov al, 3
stop:
        push ax
        JOURNAL s_stopped
        pop ax
        push ax
        xor ah, ah
        call put_dec
        JOURNAL s_close_paren
        call flush_line
        push word [D(journal)]
        CALL_IMPORT(_lclose)
        pop ax
exit:                                   ; AL: the exit status
        mov ah, 0x4C
        CALL_IMPORT(DOS3Call)
        jmp exit

; The command tail (ES:BX, ended by CR) into command_line, terminated.
copy_command_line:
        mov si, bx
        mov di, D(command_line)
        mov cx, 127
.next:
        mov al, [es:si]
        cmp al, 13
        je .end
        or al, al
        jz .end
        mov [di], al
        inc si
        inc di
        loop .next
.end:
        mov byte [di], 0
        push ds
        pop es
        ret

; Words of the command line: the journal's path, /s:N, /32, /X:HEX.
parse_command_line:
        mov si, D(command_line)
.word:
        lodsb
        cmp al, ' '
        je .word
        or al, al
        jz .done
        cmp al, '/'
        je .option
        mov di, D(journal_path)         ; the first plain word
        mov cx, 127
.path:
        stosb
        lodsb
        cmp al, ' '
        jbe .path_end
        loop .path
.path_end:
        mov byte [di], 0
        dec si
        jmp .word
.option:
        lodsb
        cmp al, '3'
        jne .not_32
        mov byte [D(load32_first)], 1
        inc si                          ; the '2'
        jmp .word
.not_32:
        or al, 0x20
        mov ah, al
        inc si                          ; the ':'
        call read_number                ; DX, from SI on; base 10 for s, 16 otherwise
        cmp ah, 's'
        jne .other
        mov [D(seconds)], dx
        jmp .word
.other:
        HOOK ON_OPTION
        jmp .word
.done:
        ret

; A number at SI into DX: decimal when AH is 's', hexadecimal otherwise; SI
; stops after it.
read_number:
        xor dx, dx
.digit:
        mov bl, [si]
        or bl, 0x20                     ; letters to lower case (digits keep)
        sub bl, '0'
        cmp bl, 9
        jbe .value
        cmp ah, 's'
        je .end                         ; no letters in a decimal number
        sub bl, 'a' - '0' - 10
        cmp bl, 10
        jb .end
        cmp bl, 15
        ja .end
.value:
        xor bh, bh
        mov cx, 10
        cmp ah, 's'
        je .times
        mov cx, 16
.times:
        push ax
        mov ax, dx
        mul cx                          ; DX:AX = the number so far * base
        add ax, bx
        mov dx, ax
        pop ax
        inc si
        jmp .digit
.end:
        ret

; The journal, made anew; without one there is nobody to tell: exit 2.
open_journal:
        push ds
        push D(journal_path)
        push word 0
        CALL_IMPORT(_lcreat)
        cmp ax, -1
        je .none
        mov [D(journal)], ax
        ret
.none:
        mov al, 2
        jmp exit

; LoadLibraryEx32W of the 32-bit library named at SI; carry set (and a
; journal line) when it does not load.
load_32_first:
        push si
        push ds
        push si
        push word 0
        push word 0
        push word 0
        push word 0
        CALL_IMPORT(LoadLibraryEx32W)
        pop si
        mov bx, ax
        or bx, dx
        jz .failed
        push dx
        push ax
        call put_str
        JOURNAL s_loaded32
        pop ax
        pop dx
        call put_hex32
        call flush_line
        clc
        ret
.failed:
        mov bx, D(s_not_loaded32)
        jmp journal_failure

; LoadLibrary of the 16-bit library named at SI, kept in library; carry set
; (and a journal line with its error) when it does not load.
load_16:
        push si
        push ds
        push si
        CALL_IMPORT(LoadLibrary)
        pop si
        mov [D(library)], ax
        cmp ax, 32
        jb .failed
        call put_str
        JOURNAL s_loaded16
        call flush_line
        clc
        ret
.failed:
        push ax
        mov bx, D(s_not_loaded16)
        call journal_failure_open
        pop ax
        call put_dec
        call flush_line
        stc
        ret

; GetProcAddress(library, name at SI) into the far pointer at DI; carry set
; (and a journal line) when there is none.
find_routine:
        push si
        push di
        push word [D(library)]
        push ds
        push si
        CALL_IMPORT(GetProcAddress)
        pop di
        pop si
        mov [di], ax
        mov [di + 2], dx
        or ax, dx
        jnz .found
        mov bx, D(s_no_routine)
        jmp journal_failure
.found:
        clc
        ret

; A failure's line: "failed: " NAME (at SI) REASON (at BX); carry set.
; journal_failure_open leaves the line open for more.
journal_failure:
        call journal_failure_open
        call flush_line
        stc
        ret
journal_failure_open:
        push si
        JOURNAL s_failed
        pop si
        call put_str
        mov si, bx
        jmp put_str

; The class and the hidden window; carry set when either cannot be made.
make_window:
        mov ax, [D(instance)]
        mov [D(window_class) + 10], ax  ; WNDCLASS.hInstance
        push ds
        push D(window_class)
        CALL_IMPORT(RegisterClass)
        or ax, ax
        jz .failed
        push ds                         ; class
        push D(s_class)
        push ds                         ; title
        push D(s_class)
        push word 0                     ; style: overlapped, not visible
        push word 0
        push word 0x8000                ; CW_USEDEFAULT x, y, width, height
        push word 0x8000
        push word 0x8000
        push word 0x8000
        push word 0                     ; no parent, no menu
        push word 0
        push word [D(instance)]
        push word 0                     ; no creation data
        push word 0
        CALL_IMPORT(CreateWindow)
        mov [D(window)], ax
        or ax, ax
        jz .failed
        clc
        ret
.failed:
        stc
        ret

; The window procedure: FAR PASCAL (HWND, UINT, WPARAM, LPARAM), entered
; with the caller's DS; this task's DGROUP is its stack segment.
%define WP_LPARAM bp + 6
%define WP_WPARAM bp + 10
%define WP_MESSAGE bp + 12
%define WP_WINDOW bp + 14
window_procedure:
        push bp
        mov bp, sp
        push ds
        push si
        push di
        mov ax, ss
        mov ds, ax
        mov es, ax
        mov ax, [WP_MESSAGE]
        cmp ax, WM_NOTICE
        je .notice
        cmp ax, WM_TIMER
        je .timer
        cmp ax, WM_DESTROY
        je .destroy
        HOOK ON_MESSAGE
        push word [WP_WINDOW]           ; everything else: DefWindowProc
        push word [WP_MESSAGE]
        push word [WP_WPARAM]
        push word [WP_LPARAM + 2]
        push word [WP_LPARAM]
        CALL_IMPORT(DefWindowProc)
        jmp .return
.notice:
        call on_notice
        jmp .zero
.timer:
        dec word [D(seconds)]
        jnz .zero
        push word [WP_WINDOW]
        CALL_IMPORT(DestroyWindow)
        jmp .zero
.destroy:
        push word 0
        CALL_IMPORT(PostQuitMessage)
.zero:
        xor ax, ax
        xor dx, dx
.return:
        pop di
        pop si
        pop ds
        pop bp
        retf 10

; Message 3000: fetch the credentials, read items 7 and 2, and write it all
; as one line.
on_notice:
        inc word [D(notices)]
        mov byte [D(user)], 0
        mov byte [D(password)], 0
        mov byte [D(new_password)], 0
        push ds                         ; FETCHINTO(user, password, new password)
        push D(user)
        push ds
        push D(password)
        push ds
        push D(new_password)
        call far [D(fn_fetchinto)]
        mov [D(fetched)], ax
        mov [D(fetched) + 2], dx
        HOOK ON_FETCHED

        mov di, D(connections)          ; item 7 into a cleared table
        mov cx, CONNECTION_ROOM
        xor al, al
        rep stosb
        mov byte [D(domain)], 0
        mov ax, 7
        mov bx, D(connections)
        mov cx, CONNECTION_ROOM
        call read_item
        mov [D(item7)], ax
        mov [D(item7) + 2], dx
        mov ax, 2
        mov bx, D(domain)
        mov cx, TEXT_ROOM
        call read_item
        push dx
        push ax

        JOURNAL s_notice
        mov ax, [D(notices)]
        call put_dec
        JOURNAL s_user
        mov si, D(user)
        mov cx, 99
        call put_bounded
        JOURNAL s_password
        mov si, D(password)
        mov cx, 19
        call put_bounded
        JOURNAL s_new_password
        mov si, D(new_password)
        mov cx, 19
        call put_bounded
        JOURNAL s_fetch_answer
        mov ax, [D(fetched)]
        mov dx, [D(fetched) + 2]
        call put_hex32
        JOURNAL s_connections
        mov ax, [D(item7)]
        mov dx, [D(item7) + 2]
        call put_hex32
        JOURNAL s_colon
        mov bx, D(connections)          ; each entry: " DEVICE=PATH"
.entry:
        cmp byte [bx], 0
        je .entries_done
        JOURNAL s_space
        mov si, bx
        mov cx, 8
        call put_bounded
        JOURNAL s_equals
        lea si, [bx + 9]
        mov cx, 30
        call put_bounded
        add bx, CONNECTION_SIZE
        cmp bx, D(connections) + CONNECTION_ROOM
        jb .entry
.entries_done:
        JOURNAL s_domain
        pop ax
        pop dx
        call put_hex32
        JOURNAL s_domain_text
        mov si, D(domain)
        mov cx, 100
        call put_bounded
        JOURNAL s_quote
        call flush_line
        ret

; REQUEST(read, item AX, data BX, room CX, no name, no text) -> DX:AX
read_item:
        push word 0                     ; op: read
        push ax
        push ds
        push bx
        push cx
        push word 0
        push word 0
        push word 0
        push word 0
        call far [D(fn_request)]
        ret

        HOOK MORE_CODE

; ---- the journal's line: put_* append to it, flush_line writes it whole.

; put_str: the zero-terminated string at SI.
put_str:
        mov cx, LINE_ROOM
        ; falls through
; put_bounded: at most CX characters of the string at SI.
put_bounded:
        mov di, [D(line_end)]
.next:
        cmp di, D(line) + LINE_ROOM - 2
        jae .done
        lodsb
        or al, al
        jz .done
        stosb
        loop .next
.done:
        mov [D(line_end)], di
        ret

put_char:                               ; AL
        mov di, [D(line_end)]
        cmp di, D(line) + LINE_ROOM - 2
        jae .full
        stosb
        mov [D(line_end)], di
.full:
        ret

put_hex32:                              ; DX:AX, eight digits
        push ax
        mov ax, dx
        call put_hex16
        pop ax
        ; falls through
put_hex16:                              ; AX, four digits
        mov cx, 4
.digit:
        rol ax, 1
        rol ax, 1
        rol ax, 1
        rol ax, 1
        push ax
        push cx
        and al, 0x0F
        add al, '0'
        cmp al, '9'
        jbe .put
        add al, 'A' - '9' - 1
.put:
        call put_char
        pop cx
        pop ax
        loop .digit
        ret

put_dec:                                ; AX, unsigned
        xor cx, cx
        mov bx, 10
.divide:
        xor dx, dx
        div bx
        push dx
        inc cx
        or ax, ax
        jnz .divide
.put:
        pop ax
        add al, '0'
        push cx
        call put_char
        pop cx
        loop .put
        ret

; flush_line: the line with CR LF, in one write, and a new line begun.
flush_line:
        mov di, [D(line_end)]
        mov ax, 0x0A0D
        stosw
        sub di, D(line)
        push word [D(journal)]
        push ds
        push D(line)
        push di
        CALL_IMPORT(_lwrite)
        mov word [D(line_end)], D(line)
        ret

        ; Under QEMU's user-mode emulator a store into a host page that holds
        ; translated code throws the page's translations away, at a cost of
        ; hundreds of microseconds. Wine's loader puts the data segment right
        ; after the code segment, and every notice writes into the data
        ; segment: two pages of code segment (the code lies in the first) keep
        ; them apart. On a real CPU it only costs the padding.
        times 8192 - ($ - ne_code) db 0xCC
        NE_SEGMENT_END code
        NE_RELOCS_START code
        NE_RELOCS_END code

; ---------------------------------------------------------------- data
        NE_SEGMENT_START data
        NE_APP_INSTANCE_DATA
        IMPORTS IMPORT_SLOT
window_class:                           ; WNDCLASS (16-bit), 26 bytes
        dw 0                            ; style
wndproc_site:
        NE_FAR_SITE                     ; lpfnWndProc
        dw 0, 0                         ; class and window extra bytes
        dw 0                            ; hInstance, filled at the start
        dw 0, 0, 0                      ; no icon, cursor or brush
        dd 0                            ; no menu
class_site:
        NE_FAR_SITE                     ; lpszClassName
instance:       dw 0
window:         dw 0
journal:        dw 0
library:        dw 0
seconds:        dw 0
notices:        dw 0
load32_first:   db 0, 0
fn_register:    dd 0
fn_fetchinto:   dd 0
fn_request:     dd 0
fetched:        dd 0
item7:          dd 0
line_end:       dw D(line)
message:        times 18 db 0
s_class:        db 'ZorAgent', 0
s_zorn1632:     db 'ZORN1632.DLL', 0
s_qenthunk:     db 'QENTHUNK.DLL', 0
s_zornet32:     db 'ZORNET32.DLL', 0
s_qenregio:     db 'QENREGIO.DLL', 0
s_registerwindow: db 'REGISTERWINDOW', 0
s_fetchinto:    db 'FETCHINTO', 0
s_request:      db 'REQUEST', 0
s_started:      db 'started', 0
s_stopped:      db 'stopped (status ', 0
s_close_paren:  db ')', 0
s_failed:       db 'failed: ', 0
s_loaded32:     db ' loaded first (LoadLibraryEx32W): module ', 0
s_not_loaded32: db ' did not load (LoadLibraryEx32W)', 0
s_loaded16:     db ' loaded (LoadLibrary)', 0
s_not_loaded16: db ' did not load (LoadLibrary): error ', 0
s_no_routine:   db ' is not exported', 0
s_no_window:    db 'the window could not be made or registered', 0
s_registered:   db 'registered window ', 0
s_answered:     db ': QENMirevola answered ', 0
s_unregistered: db 'unregistered: QENMirevola(0) answered ', 0
s_notice:       db 'notice ', 0
s_user:         db ': user "', 0
s_password:     db '" password "', 0
s_new_password: db '" new password "', 0
s_fetch_answer: db '" (QENGetUseridPassword answered ', 0
s_connections:  db '); connections (item 7 answered ', 0
s_colon:        db '):', 0
s_space:        db ' ', 0
s_equals:       db '=', 0
s_domain:       db '; domain (item 2 answered ', 0
s_domain_text:  db '): "', 0
s_quote:        db '"', 0
command_line:   times 128 db 0
journal_path:   times 128 db 0
user:           times 100 db 0
password:       times 20 db 0
new_password:   times 20 db 0
domain:         times TEXT_ROOM db 0
connections:    times CONNECTION_ROOM db 0
line:           times LINE_ROOM db 0
        HOOK MORE_DATA
        NE_SEGMENT_END data
        NE_RELOCS_START data
        IMPORTS IMPORT_FIXUP
        NE_FIX_FARADDR_INTERNAL D(wndproc_site), NE_CODE, C(window_procedure)
        NE_FIX_FARADDR_INTERNAL D(class_site), NE_DATA, D(s_class)
        NE_RELOCS_END data
