# What the two Linux ARM toolchain files share: Debian's cross compiler for
# TIDEWRACK_TRIPLET, the target's libraries from the multiarch folders
# (/usr/lib/<triplet>, installed by tools/build/install_deps.sh), and BOINC's
# headers and link names from the -dev packages that install_deps.sh unpacks
# into /opt/tidewrack-cross/<Debian architecture>: those packages cannot be
# installed beside the build machine's own.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${TIDEWRACK_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${TIDEWRACK_TRIPLET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${TIDEWRACK_TRIPLET})

# The unpacked BOINC folder first, so that its config.h wins over the build
# machine's; then the system's own root for everything else.
set(CMAKE_FIND_ROOT_PATH /opt/tidewrack-cross/${TIDEWRACK_DEBIAN_ARCH} /)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# FindGLUT asks pkg-config first: make it read the target's .pc files.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${TIDEWRACK_TRIPLET}/pkgconfig:/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
