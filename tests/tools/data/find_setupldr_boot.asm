; A no-emulation El Torito boot image that does what the boot sector of a
; Windows setup CD does first: read the primary volume descriptor through
; the BIOS, walk the root directory to I386 and then SETUPLDR.BIN, names
; compared byte for byte. It reports on COM1 and ends the machine through
; QEMU's isa-debug-exit port.

bits 16
org 0x7C00

buffer      equ 0x8000              ; directory sectors, 15 at most
max_sectors equ 15

start:
    cli
    xor ax, ax
    mov ds, ax
    mov es, ax
    mov ss, ax
    mov sp, 0x7C00
    sti
    jmp 0:main                      ; CS:IP may be 07C0:0000; make it 0000:7C00

main:
    mov [drive], dl
    mov eax, 16                     ; the primary volume descriptor
    mov cx, 1
    call read
    jc read_error
    cmp byte [buffer], 1
    jne read_error
    mov eax, [buffer + 156 + 2]     ; root directory record: extent
    mov ecx, [buffer + 156 + 10]    ;                         data length
    mov si, name_i386
    mov bl, name_i386_end - name_i386
    call find
    jc not_found
    mov si, name_setupldr
    mov bl, name_setupldr_end - name_setupldr
    call find
    jc not_found
    mov si, msg_found
    jmp finish
not_found:
    mov si, msg_not_found
    jmp finish
read_error:
    mov si, msg_read_error
finish:
    call print
    mov al, 0x10
    out 0xF4, al                    ; isa-debug-exit: QEMU ends here
halt:
    cli
    hlt
    jmp halt

; Looks up a name in a directory.
; in:  eax = first sector, ecx = length in bytes, si = name, bl = its length
; out: carry clear, eax = first sector, ecx = length of the entry found;
;      carry set when the name is not there
find:
    push si
    add ecx, 2047
    shr ecx, 11
    cmp ecx, max_sectors
    jbe .count_ok
    mov ecx, max_sectors
.count_ok:
    mov [sectors], cx
    call read
    pop si
    jc .missing
    mov ax, [sectors]
    shl ax, 11
    add ax, buffer
    mov [dir_end], ax
    mov di, buffer
.next:
    cmp di, [dir_end]
    jae .missing
    mov al, [di]                    ; length of the record
    test al, al
    jz .sector_end
    cmp [di + 32], bl               ; length of the name
    jne .skip
    push si
    push di
    add di, 33
    movzx cx, bl
    repe cmpsb
    pop di
    pop si
    je .hit
.skip:
    movzx ax, byte [di]
    add di, ax
    jmp .next
.sector_end:                        ; records never cross a sector
    add di, 2048
    and di, 0xF800
    jmp .next
.hit:
    mov eax, [di + 2]
    mov ecx, [di + 10]
    clc
    ret
.missing:
    stc
    ret

; Reads cx sectors from sector eax into buffer (INT 13h extensions).
read:
    mov [dap_lba], eax
    mov [dap_count], cx
    mov si, dap
    mov ah, 0x42
    mov dl, [drive]
    int 0x13
    ret

; Writes the zero-terminated text at si to COM1.
print:
    lodsb
    test al, al
    jz .done
    mov ah, al
    mov dx, 0x3FD
.wait:
    in al, dx
    test al, 0x20
    jz .wait
    mov al, ah
    mov dx, 0x3F8
    out dx, al
    jmp print
.done:
    ret

dap:        db 0x10, 0
dap_count:  dw 0
            dw buffer, 0
dap_lba:    dd 0, 0

drive:      db 0
sectors:    dw 0
dir_end:    dw 0

name_i386:          db "I386"
name_i386_end:
name_setupldr:      db "SETUPLDR.BIN"
name_setupldr_end:
msg_found:          db "BOOT: I386\SETUPLDR.BIN FOUND", 13, 10, 0
msg_not_found:      db "BOOT: I386\SETUPLDR.BIN NOT FOUND", 13, 10, 0
msg_read_error:     db "BOOT: READ ERROR", 13, 10, 0

%if ($ - $$) > (buffer - 0x7C00)
%error "code and data must end below the directory buffer"
%endif
times 2048 - ($ - $$) db 0
