/* The stand-in SMB client library of the player and the encoder, embedded whole so that installation can write it out. */
    .section .rodata
    .global q9_smb_stub_begin
    .global q9_smb_stub_end
    .balign 16
q9_smb_stub_begin:
    .incbin SMB_STUB_BINARY
q9_smb_stub_end:
    .byte 0
    .section .note.GNU-stack,"",@progbits
