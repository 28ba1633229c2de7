; A stand-in for what a boot chain starts: it writes to the first serial
; port its tag, the BIOS drive it was started from (DL) and the number of
; hard disks the BIOS counts (0040:0075), then ends QEMU through its
; isa-debug-exit port. Assembled with -DTAG='"NAME"'; with -DSECTOR as a
; boot sector (at 0000:7C00, with its signature), without it as the setup
; loader that chain.c32's ntldr= starts at 2000:0000.
bits 16
%ifdef SECTOR
org 0x7c00
%else
org 0
%endif
start:
    cli
    xor ax, ax
    mov ss, ax
    mov sp, 0x7000
    sti
    push cs
    pop ds
    mov [drive], dl
    mov si, tag
    call puts
    mov al, [drive]
    call hex
    mov si, disks
    call puts
    push ds
    xor ax, ax
    mov ds, ax
    mov al, [0x475]
    pop ds
    call hex
    mov si, crlf
    call puts
    mov al, 0x10
    out 0xf4, al
    hlt
puts:
    lodsb
    or al, al
    jz .done
    call putc
    jmp puts
.done:
    ret
hex:
    push ax
    shr al, 4
    call nibble
    pop ax
    and al, 0x0f
nibble:
    add al, '0'
    cmp al, '9'
    jbe putc
    add al, 7
putc:
    push dx
    push ax
    mov dx, 0x3fd
.wait:
    in al, dx
    test al, 0x20
    jz .wait
    pop ax
    mov dx, 0x3f8
    out dx, al
    pop dx
    ret
drive: db 0
tag: db TAG, " DRIVE=", 0
disks: db " DISKS=", 0
crlf: db 13, 10, 0
%ifdef SECTOR
times 510-($-$$) db 0
dw 0xaa55
%endif
