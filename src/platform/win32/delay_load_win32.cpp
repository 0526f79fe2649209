// opengl32 and glu32 are delay-loaded (see display_loader_win32.cpp). The
// first call of each of their functions goes through binutils' x86_64
// delay-load thunk, which keeps the integer argument registers across the
// binding helper but not the XMM ones: that call's floating-point arguments
// were lost (gluPerspective, called once, left the sky with a broken
// projection for good). The build links with --wrap=__delayLoadHelper2, so
// the thunk comes here, and this keeps xmm0..xmm3 around the real helper.
asm(R"(
    .text
    .globl __wrap___delayLoadHelper2
    .def __wrap___delayLoadHelper2; .scl 2; .type 32; .endef
__wrap___delayLoadHelper2:
    subq $0x68, %rsp
    movdqu %xmm0, 0x20(%rsp)
    movdqu %xmm1, 0x30(%rsp)
    movdqu %xmm2, 0x40(%rsp)
    movdqu %xmm3, 0x50(%rsp)
    call __real___delayLoadHelper2
    movdqu 0x20(%rsp), %xmm0
    movdqu 0x30(%rsp), %xmm1
    movdqu 0x40(%rsp), %xmm2
    movdqu 0x50(%rsp), %xmm3
    addq $0x68, %rsp
    ret
)");
