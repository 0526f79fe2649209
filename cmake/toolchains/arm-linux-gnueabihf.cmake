# Linux on 32-bit ARM with hardware floating point, the BOINC platform
# arm-unknown-linux-gnueabihf (32-bit Raspberry Pi OS and other armhf boards).
# Debian's armhf targets ARMv7 with VFPv3-D16 and Thumb-2, the compiler's default.
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(TIDEWRACK_TRIPLET arm-linux-gnueabihf)
set(TIDEWRACK_DEBIAN_ARCH armhf)
include(${CMAKE_CURRENT_LIST_DIR}/debian_multiarch.cmake)
