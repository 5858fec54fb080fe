/* The muxer's executable, embedded whole so that installation can write it out. */
    .section .rodata
    .global q9_mp4creator_begin
    .global q9_mp4creator_end
    .balign 16
q9_mp4creator_begin:
    .incbin MP4CREATOR_BINARY
q9_mp4creator_end:
    .byte 0
    .section .note.GNU-stack,"",@progbits
