# Linux on 64-bit ARM, the BOINC platform aarch64-unknown-linux-gnu
# (Raspberry Pi OS 64-bit and other arm64 boards).
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(TIDEWRACK_TRIPLET aarch64-linux-gnu)
set(TIDEWRACK_DEBIAN_ARCH arm64)
include(${CMAKE_CURRENT_LIST_DIR}/debian_multiarch.cmake)
