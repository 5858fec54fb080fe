/* The 3GP packer's executable, embedded whole so that installation can write it out. */
    .section .rodata
    .global q9_pack3gp_begin
    .global q9_pack3gp_end
    .balign 16
q9_pack3gp_begin:
    .incbin PACK3GP_BINARY
q9_pack3gp_end:
    .byte 0
    .section .note.GNU-stack,"",@progbits
